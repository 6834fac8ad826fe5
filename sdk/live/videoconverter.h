#pragma once
// I420 to packed BGR24 (rows of exactly 3 × width bytes) for the video callbacks. Keeps its
// conversion context and output buffer while the picture size stays the same.

#include <QByteArray>

struct SwsContext;

namespace ilivesdk {

class VideoConverter {
public:
  VideoConverter() = default;
  ~VideoConverter();
  VideoConverter(const VideoConverter &) = delete;
  VideoConverter &operator=(const VideoConverter &) = delete;

  // The converted picture, valid until the next call; empty when i420 has the wrong size.
  const QByteArray &toBgr24(const QByteArray &i420, int width, int height);

private:
  SwsContext *m_context = nullptr;
  int m_width = 0;
  int m_height = 0;
  QByteArray m_out;
};

// Any packed or planar picture libswscale knows (an AVPixelFormat) to I420; empty on failure.
QByteArray toI420(const uchar *const planes[4], const int strides[4], int avPixelFormat, int width,
                  int height);

} // namespace ilivesdk

#pragma once
// I420 to packed BGR24 (rows of exactly 3 × width bytes) for the video callbacks, and camera
// pictures of any format to I420. Each direction keeps its conversion context (and the BGR24
// output buffer) while the input format and size stay the same.

#include <QByteArray>
#include <QSize>

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

  // Any packed or planar picture libswscale knows (an AVPixelFormat) to I420, scaled down to
  // fit within limit keeping its shape (even sides); *outSize gets the result's size. Empty on
  // failure.
  QByteArray toI420(const uchar *const planes[4], const int strides[4], int avPixelFormat, int width,
                    int height, const QSize &limit, QSize *outSize);

  // How many conversion contexts were made, both directions together.
  int contextsMade() const { return m_contextsMade; }

private:
  SwsContext *m_context = nullptr;
  int m_width = 0;
  int m_height = 0;
  QByteArray m_out;

  SwsContext *m_toI420 = nullptr;
  int m_inFormat = -1;
  QSize m_inSize;
  QSize m_i420Size;
  int m_contextsMade = 0;
};

} // namespace ilivesdk

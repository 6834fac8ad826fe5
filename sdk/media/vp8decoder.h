#pragma once
// One received video stream's VP8 decoder: VP8 frames in, I420 pictures out. A frame the
// decoder cannot read is reported as a failure; the decoder then starts afresh and needs a
// keyframe (the caller keeps the chain, see VideoReceiver).

#include "sdk/media/apppipeline.h"

#include <memory>

namespace media {

struct Picture {
  QByteArray i420;
  int width = 0;
  int height = 0;
};

class Vp8Decoder {
public:
  enum class Result { Picture, NoPicture, Failed };

  Vp8Decoder();
  ~Vp8Decoder();

  // Decodes one frame of a picture of width × height. *picture is the newest picture that
  // came out (normally this frame's).
  Result decode(const QByteArray &vp8, int width, int height, qint64 timeMs, Picture *picture);
  // Drops the decoder's state; the next frame must be a keyframe.
  void reset();

private:
  std::unique_ptr<AppPipeline> m_pipeline;
  int m_width = 0;
  int m_height = 0;
  qint64 m_lastPtsMs = -1;
};

} // namespace media

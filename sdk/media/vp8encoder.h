#pragma once
// One video source's VP8 encoder: I420 pictures in, VP8 frames out, a keyframe at least every
// few seconds and whenever one is asked for.

#include "sdk/media/apppipeline.h"
#include "sdk/media/vp8settings.h"

#include <QList>

#include <memory>

namespace media {

struct EncodedFrame {
  QByteArray bytes;
  bool keyframe = false;
  qint64 timeMs = 0; // the picture's time as it was handed in
};

class Vp8Encoder {
public:
  explicit Vp8Encoder(const Vp8Settings &settings);
  ~Vp8Encoder();

  bool isValid() { return m_pipeline->isHealthy(); }
  QString fault() const { return m_pipeline->fault(); }
  const Vp8Settings &settings() const { return m_settings; }

  // Encodes one picture of the settings' size. Returns what came out, normally this picture's
  // frame; a slow encoder hands it out with the next call instead.
  QList<EncodedFrame> encode(const QByteArray &i420, qint64 timeMs);
  // The next picture becomes a keyframe.
  void requestKeyframe();

private:
  Vp8Settings m_settings;
  std::unique_ptr<AppPipeline> m_pipeline;
  qint64 m_firstMs = -1;
  qint64 m_lastPtsMs = -1;
};

} // namespace media

#pragma once
// One published video source on its way out: pictures are encoded once into VP8 frames of the
// hub protocol, numbered in sequence, with a keyframe at least every few seconds and soon after
// one is asked for. The encoder follows the pictures' size.

#include "protocol/mediaframe.h"
#include "sdk/media/vp8encoder.h"

#include <QList>

#include <memory>

namespace media {

class VideoSender {
public:
  VideoSender(hubproto::Source source, int fps);
  ~VideoSender();

  QList<hubproto::MediaFrame> send(const QByteArray &i420, int width, int height, qint64 timeMs);
  // A subscriber (or the hub for one) asked for a keyframe.
  void requestKeyframe() { m_keyframeAsked = true; }
  quint64 bytesSent() const { return m_bytes; }

private:
  bool ensureEncoder(int width, int height);

  hubproto::Source m_source;
  int m_fps;
  std::unique_ptr<Vp8Encoder> m_encoder;
  quint32 m_sequence = 0;
  qint64 m_lastKeyframeMs = -1;
  bool m_keyframeAsked = false;
  quint64 m_bytes = 0;
};

} // namespace media

#include "sdk/media/videosender.h"

#include "sdk/media/mediaformat.h"

namespace media {

VideoSender::VideoSender(hubproto::Source source, int fps) : m_source(source), m_fps(fps) {}

VideoSender::~VideoSender() = default;

bool VideoSender::ensureEncoder(int width, int height) {
  const bool sameSize = m_encoder && m_encoder->settings().width == width && m_encoder->settings().height == height;
  if (!sameSize || !m_encoder->isValid()) {
    // A new encoder starts with a keyframe by itself.
    m_encoder = std::make_unique<Vp8Encoder>(
        Vp8Settings::forSource(width, height, m_fps, m_source == hubproto::Source::Screen));
    m_keyframeAsked = false;
  }
  return m_encoder->isValid();
}

QList<hubproto::MediaFrame> VideoSender::send(const QByteArray &i420, int width, int height, qint64 timeMs) {
  QList<hubproto::MediaFrame> frames;
  if (width < 1 || height < 1 || i420.size() != hubproto::i420Size(width, height) || !ensureEncoder(width, height))
    return frames;
  if (m_keyframeAsked || (m_lastKeyframeMs >= 0 && timeMs - m_lastKeyframeMs >= kKeyframeIntervalMs)) {
    m_encoder->requestKeyframe();
    m_keyframeAsked = false;
    m_lastKeyframeMs = timeMs; // asked for; do not ask again with every picture until it comes
  }
  for (const EncodedFrame &e : m_encoder->encode(i420, timeMs)) {
    if (e.keyframe)
      m_lastKeyframeMs = e.timeMs;
    m_bytes += static_cast<quint64>(e.bytes.size());
    frames.append(hubproto::vp8Frame(m_source, width, height, e.bytes, e.keyframe, m_sequence++,
                                     static_cast<quint32>(e.timeMs)));
  }
  return frames;
}

} // namespace media

#include "sdk/media/voicesender.h"

namespace media {

VoiceSender::VoiceSender() = default;
VoiceSender::~VoiceSender() = default;

QList<hubproto::MediaFrame> VoiceSender::send(const QByteArray &pcm, int sampleRate, qint64 timeMs) {
  QList<hubproto::MediaFrame> frames;
  if (sampleRate < 8000 || sampleRate > 48000)
    return frames;
  if (!m_encoder || m_encoder->inputRate() != sampleRate || !m_encoder->isValid())
    m_encoder = std::make_unique<OpusEncoder>(sampleRate);
  for (const QByteArray &packet : m_encoder->encode(pcm)) {
    m_bytes += static_cast<quint64>(packet.size());
    frames.append(hubproto::opusFrame(packet, m_sequence++, static_cast<quint32>(timeMs)));
  }
  return frames;
}

} // namespace media

#pragma once
// The published voice on its way out: PCM chunks of any length are encoded once into Opus
// frames of the hub protocol, numbered in sequence.

#include "protocol/mediaframe.h"
#include "sdk/media/opusencoder.h"

#include <QList>

#include <memory>

namespace media {

class VoiceSender {
public:
  VoiceSender();
  ~VoiceSender();

  // Mono 16-bit samples at sampleRate, taken at timeMs.
  QList<hubproto::MediaFrame> send(const QByteArray &pcm, int sampleRate, qint64 timeMs);
  quint64 bytesSent() const { return m_bytes; }

private:
  std::unique_ptr<OpusEncoder> m_encoder;
  quint32 m_sequence = 0;
  quint64 m_bytes = 0;
};

} // namespace media

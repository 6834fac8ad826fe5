#pragma once
// The microphone's Opus encoder: mono 16-bit PCM at any rate in, one Opus packet per 20 ms
// out (48 kHz, about 32 kbit/s).

#include "sdk/media/apppipeline.h"

#include <QList>

#include <memory>

namespace media {

class OpusEncoder {
public:
  explicit OpusEncoder(int inputRate);
  ~OpusEncoder();

  bool isValid() { return m_pipeline->isHealthy(); }
  int inputRate() const { return m_inputRate; }
  // Hands in the next samples; returns the packets that are complete.
  QList<QByteArray> encode(const QByteArray &pcm);

private:
  int m_inputRate;
  std::unique_ptr<AppPipeline> m_pipeline;
  qint64 m_samplesIn = 0;
  qint64 m_packetsOut = 0;
};

} // namespace media

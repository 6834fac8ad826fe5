#pragma once
// One voice's Opus decoder: packets in, mono 16-bit PCM at the speaker's rate out. A lost
// packet is concealed by Opus itself (a plausible continuation, not a click or silence).

#include "sdk/media/apppipeline.h"

#include <memory>

namespace media {

class OpusDecoder {
public:
  explicit OpusDecoder(int outputRate);
  ~OpusDecoder();

  bool isValid() { return m_pipeline->isHealthy(); }
  // One packet's 20 ms of samples (empty when the packet cannot be decoded: the decoder then
  // starts afresh).
  QByteArray decode(const QByteArray &packet);
  // 20 ms in place of a packet that did not come.
  QByteArray conceal();

private:
  QByteArray take();
  void restart();

  int m_outputRate;
  std::unique_ptr<AppPipeline> m_pipeline;
  qint64 m_slot = 0; // 20 ms slots handed in
};

} // namespace media

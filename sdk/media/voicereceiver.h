#pragma once
// One received voice: Opus frames of the hub protocol go through a 60 ms jitter buffer and are
// decoded once, 20 ms per pull; a packet that did not come in time is concealed by the
// decoder. Frames that are not Opus, or that the decoder cannot read, are dropped and counted.

#include "protocol/mediaframe.h"
#include "sdk/media/jitterbuffer.h"
#include "sdk/media/opusdecoder.h"

namespace media {

class VoiceReceiver {
public:
  explicit VoiceReceiver(int outputRate);

  void receive(const hubproto::MediaFrame &frame);
  // The next 20 ms to play: decoded, concealed, or empty when there is nothing to play.
  QByteArray pull();

  quint64 malformed() const { return m_malformed; }
  quint64 concealed() const { return m_concealed; }
  bool isPlaying() const { return m_jitter.isPlaying(); }

private:
  JitterBuffer m_jitter;
  OpusDecoder m_decoder;
  quint64 m_malformed = 0;
  quint64 m_concealed = 0;
};

} // namespace media

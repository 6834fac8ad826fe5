#include "sdk/media/voicereceiver.h"

#include "sdk/media/mediaformat.h"

namespace media {

VoiceReceiver::VoiceReceiver(int outputRate) : m_jitter(kJitterMs / kOpusFrameMs), m_decoder(outputRate) {}

void VoiceReceiver::receive(const hubproto::MediaFrame &frame) {
  if (frame.format != hubproto::MediaFrame::Opus || frame.payload.isEmpty()) {
    ++m_malformed;
    return;
  }
  m_jitter.push(frame.sequence, frame.payload);
}

QByteArray VoiceReceiver::pull() {
  QByteArray packet;
  switch (m_jitter.pop(&packet)) {
  case JitterBuffer::Slot::Idle:
    return QByteArray();
  case JitterBuffer::Slot::Missing:
    ++m_concealed;
    return m_decoder.conceal();
  case JitterBuffer::Slot::Packet:
    break;
  }
  QByteArray pcm = m_decoder.decode(packet);
  if (pcm.isEmpty()) {
    ++m_malformed; // the decoder started afresh; the slot stays quiet
    return QByteArray();
  }
  return pcm;
}

} // namespace media

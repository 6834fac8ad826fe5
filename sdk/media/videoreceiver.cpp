#include "sdk/media/videoreceiver.h"

#include "sdk/media/mediaformat.h"
#include "sdk/media/vp8header.h"

namespace media {

VideoReceiver::VideoReceiver(AskKeyframe ask) : m_ask(std::move(ask)) {}

bool VideoReceiver::wellFormed(const hubproto::MediaFrame &frame) const {
  Vp8Header header;
  if (frame.format != hubproto::MediaFrame::Vp8 || !Vp8Header::read(frame.payload, &header) ||
      header.keyframe != frame.keyframe || !header.shown)
    return false; // a hidden frame would make the decoder wait for a picture that never comes
  return !header.keyframe || (header.width == frame.width && header.height == frame.height);
}

void VideoReceiver::ask(qint64 nowMs) {
  if (m_lastAskMs >= 0 && nowMs - m_lastAskMs < kKeyframeAskIntervalMs)
    return;
  m_lastAskMs = nowMs;
  if (m_ask)
    m_ask();
}

void VideoReceiver::breakChain(qint64 nowMs) {
  m_inChain = false;
  m_decoder.reset();
  ask(nowMs);
}

bool VideoReceiver::receive(const hubproto::MediaFrame &frame, qint64 nowMs, Picture *picture) {
  if (!wellFormed(frame)) {
    ++m_malformed;
    breakChain(nowMs);
    return false;
  }
  if (m_inChain && frame.sequence != m_nextSequence && !frame.keyframe)
    breakChain(nowMs); // frames went missing: what follows refers to pictures we never had
  if (!m_inChain && !frame.keyframe) {
    ++m_skipped;
    ask(nowMs);
    return false;
  }
  m_nextSequence = frame.sequence + 1;
  if (frame.keyframe)
    m_inChain = true;
  const Vp8Decoder::Result result = m_decoder.decode(frame.payload, frame.width, frame.height, frame.timestamp, picture);
  if (result == Vp8Decoder::Result::Failed) {
    ++m_malformed;
    breakChain(nowMs);
    return false;
  }
  if (result != Vp8Decoder::Result::Picture || picture->width != frame.width || picture->height != frame.height)
    return false;
  ++m_pictures;
  return true;
}

} // namespace media

#pragma once
// One received video stream: VP8 frames of the hub protocol in, I420 pictures out, decoded
// once. The receiver keeps the chain whole: after a gap in the sequence, a payload that is not
// VP8, or a frame the decoder fails on, it shows nothing until the next keyframe and asks for
// one (at most every kKeyframeAskIntervalMs). A stream starts the same way.

#include "protocol/mediaframe.h"
#include "sdk/media/vp8decoder.h"

#include <functional>

namespace media {

class VideoReceiver {
public:
  using AskKeyframe = std::function<void()>;
  explicit VideoReceiver(AskKeyframe ask);

  // True when the frame made a picture to show.
  bool receive(const hubproto::MediaFrame &frame, qint64 nowMs, Picture *picture);

  quint64 pictures() const { return m_pictures; }
  quint64 malformed() const { return m_malformed; } // refused before or by the decoder
  quint64 skipped() const { return m_skipped; }     // waited out for a keyframe

private:
  bool wellFormed(const hubproto::MediaFrame &frame) const;
  void breakChain(qint64 nowMs);
  void ask(qint64 nowMs);

  AskKeyframe m_ask;
  Vp8Decoder m_decoder;
  bool m_inChain = false;
  quint32 m_nextSequence = 0;
  qint64 m_lastAskMs = -1;
  quint64 m_pictures = 0;
  quint64 m_malformed = 0;
  quint64 m_skipped = 0;
};

} // namespace media

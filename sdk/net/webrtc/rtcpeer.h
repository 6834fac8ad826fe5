#pragma once
// One WebRTC peer connection (GStreamer's webrtcbin) carrying one encoded stream: either
// sending (our VP8 or Opus frames in, RTP out, with NACK retransmission and keyframe requests
// from the far end) or receiving (RTP in, the same encoded frames out, asking the far end for
// a keyframe when we need one). Signalling is the caller's: it hands over the far end's SDP
// and passes on ours and our ICE candidates. Lives on one thread; its signals come on that
// thread, whatever GStreamer thread the news came from.

#include "protocol/mediaframe.h"

#include <QObject>
#include <QString>

#include <memory>

namespace sdk {

struct RtcPeerState;

class RtcPeer : public QObject {
  Q_OBJECT
public:
  explicit RtcPeer(QObject *parent = nullptr);
  ~RtcPeer() override;

  // A sending peer of one kind of frame; the offer follows through localDescription().
  bool startSending(hubproto::MediaFrame::Kind kind);
  // The far end's answer to our offer.
  void setAnswer(const QString &sdp);
  // One encoded frame into a sending peer; may be called from any thread.
  void push(const hubproto::MediaFrame &frame);
  // A receiving peer: takes the far end's offer and answers through localDescription().
  bool startReceiving(const QString &offerSdp);
  // A receiving peer asks the far end for a keyframe (RTCP PLI).
  void requestKeyframe();
  QString errorString() const { return m_error; }

  static constexpr int kVideoPayloadType = 96;
  static constexpr int kAudioPayloadType = 111;
  static constexpr int kReceiveLatencyMs = 100; // the jitter buffer's wait for retransmissions
  static constexpr int kRtcpIntervalMs = 100;      // the shortest time between RTCP reports
  static constexpr int kRtcpBitsPerSecond = 16000;  // what RTCP reports may take each way

signals:
  void localDescription(const QString &type, const QString &sdp);
  // One of our ICE candidates; an empty one says there are no more.
  void localCandidate(int mlineIndex, const QString &candidate);
  // The far end of a sending peer needs a keyframe.
  void keyframeRequested();
  // An encoded frame of a receiving peer (its owner is left for the caller to stamp).
  void received(const hubproto::MediaFrame &frame);
  void failed(const QString &why);

private:
  bool build(const char *description);

  std::shared_ptr<RtcPeerState> m_state;
  QString m_error;
};

} // namespace sdk

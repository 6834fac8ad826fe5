#pragma once
// A WebRTC publisher for tests that need media to flow into Janus: a live VP8 test pattern
// into GStreamer's webrtcbin. It makes its offer with every ICE candidate in it (Janus answers
// with its own in the SDP), takes the answer and connects. Run it inside the network namespace
// of scripts/netns.sh: ICE there gathers on 127.0.0.2, as Janus does.

#include <QString>

#include <atomic>
#include <mutex>

typedef struct _GstElement GstElement;

class WebRtcPublisher {
public:
  WebRtcPublisher();
  ~WebRtcPublisher();
  WebRtcPublisher(const WebRtcPublisher &) = delete;
  WebRtcPublisher &operator=(const WebRtcPublisher &) = delete;

  // Starts the pipeline; the offer, once ICE gathering is complete, in *sdp. Bounded wait.
  bool makeOffer(QString *sdp, QString *error);
  bool setAnswer(const QString &sdp, QString *error);
  // ICE connected (or completed).
  bool isConnected() const;

private:
  static void onNegotiationNeeded(GstElement *webrtc, void *self);
  static void onOfferCreated(struct _GstPromise *promise, void *self);
  static void onGatheringState(GstElement *webrtc, void *pspec, void *self);

  GstElement *m_pipeline = nullptr;
  GstElement *m_webrtc = nullptr;
  std::mutex m_lock;
  QString m_offer; // set once gathering is complete
  std::atomic<bool> m_offerReady{false};
};

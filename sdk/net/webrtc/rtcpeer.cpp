#include "sdk/net/webrtc/rtcpeer.h"

#include "sdk/net/webrtc/rtcpeerstate.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/sdp/sdp.h>
#include <gst/video/video.h>
#define GST_USE_UNSTABLE_API
#include <gst/webrtc/webrtc.h>

namespace sdk {

namespace {

using State = RtcPeerState;

// Sending: our encoded frames in, RTP into webrtcbin.
const char kSendVideo[] =
    "appsrc name=src is-live=true format=time do-timestamp=true caps=video/x-vp8 "
    "! rtpvp8pay name=pay pt=96 mtu=1200 picture-id-mode=15-bit "
    "! application/x-rtp,media=video,encoding-name=VP8,payload=96,clock-rate=90000 "
    "! webrtcbin name=rtc bundle-policy=max-bundle";
const char kSendAudio[] =
    "appsrc name=src is-live=true format=time do-timestamp=true "
    "caps=audio/x-opus,rate=48000,channels=1,channel-mapping-family=0 "
    "! rtpopuspay name=pay pt=111 "
    "! application/x-rtp,media=audio,encoding-name=OPUS,payload=111,clock-rate=48000 "
    "! webrtcbin name=rtc bundle-policy=max-bundle";
const char kReceive[] = "webrtcbin name=rtc bundle-policy=max-bundle";

void ensureGst() {
  static const bool ready = gst_init_check(nullptr, nullptr, nullptr);
  Q_UNUSED(ready);
}

bool hasProperty(gpointer object, const char *name) {
  return g_object_class_find_property(G_OBJECT_GET_CLASS(object), name) != nullptr;
}

// ICE over UDP, without first looking for a router over UPnP (which only delays gathering).
void restrictIce(GstElement *webrtc) {
  GstWebRTCICE *ice = nullptr;
  g_object_get(webrtc, "ice-agent", &ice, nullptr);
  if (!ice)
    return;
  if (hasProperty(ice, "ice-tcp"))
    g_object_set(ice, "ice-tcp", FALSE, nullptr);
  if (hasProperty(ice, "agent")) {
    GObject *agent = nullptr;
    g_object_get(ice, "agent", &agent, nullptr);
    if (agent && hasProperty(agent, "upnp"))
      g_object_set(agent, "upnp", FALSE, nullptr);
    if (agent)
      g_object_unref(agent);
  }
  gst_object_unref(ice);
}

// Feedback (NACK, PLI) may go out early only once per regular RTCP interval, which by default
// is seconds: a retransmission asked for that late misses the jitter buffer, and a keyframe
// asked for that late leaves the picture frozen for as long. A short interval, and the RTCP
// bandwidth to keep it, lets feedback go out when it is needed.
void onElementAdded(GstBin *, GstBin *, GstElement *element, gpointer) {
  GstElementFactory *factory = gst_element_get_factory(element);
  if (!factory || g_strcmp0(GST_OBJECT_NAME(factory), "rtpsession") != 0)
    return;
  GObject *session = nullptr;
  g_object_get(element, "internal-session", &session, nullptr);
  if (!session)
    return;
  g_object_set(session, "rtcp-min-interval", guint64(RtcPeer::kRtcpIntervalMs) * GST_MSECOND, "rtcp-rr-bandwidth",
               RtcPeer::kRtcpBitsPerSecond, "rtcp-rs-bandwidth", RtcPeer::kRtcpBitsPerSecond, nullptr);
  g_object_unref(session);
}

// Both ends keep what they sent for retransmission and ask for what they miss.
void onNewTransceiver(GstElement *, GstWebRTCRTPTransceiver *transceiver, gpointer) {
  g_object_set(transceiver, "do-nack", TRUE, nullptr);
}

QString sdpText(GstWebRTCSessionDescription *description) {
  gchar *text = gst_sdp_message_as_text(description->sdp);
  const QString sdp = QString::fromUtf8(text);
  g_free(text);
  return sdp;
}

// The description a create-offer or create-answer promise made becomes ours and goes out.
void onDescriptionMade(GstPromise *promise, gpointer data) {
  State &s = **static_cast<std::shared_ptr<State> *>(data);
  const bool offer = s.source != nullptr; // a sending peer offers, a receiving one answers
  GstWebRTCSessionDescription *description = nullptr;
  const GstStructure *reply = gst_promise_get_reply(promise);
  if (reply)
    gst_structure_get(reply, offer ? "offer" : "answer", GST_TYPE_WEBRTC_SESSION_DESCRIPTION, &description, nullptr);
  gst_promise_unref(promise);
  QMutexLocker lock(&s.lock);
  if (!s.alive)
    return;
  if (!description)
    return s.post([](RtcPeer &p) { emit p.failed(QStringLiteral("webrtcbin made no session description")); });
  g_signal_emit_by_name(s.webrtc, "set-local-description", description, nullptr);
  const QString sdp = sdpText(description);
  gst_webrtc_session_description_free(description);
  s.post([offer, sdp](RtcPeer &p) { emit p.localDescription(offer ? QStringLiteral("offer") : QStringLiteral("answer"), sdp); });
}

GstPromise *describePromise(const std::shared_ptr<State> &state) {
  return gst_promise_new_with_change_func(onDescriptionMade, new std::shared_ptr<State>(state),
                                          [](gpointer d) { delete static_cast<std::shared_ptr<State> *>(d); });
}

void onNegotiationNeeded(GstElement *webrtc, gpointer data) {
  auto *holder = static_cast<std::shared_ptr<State> *>(data);
  State &s = **holder;
  {
    QMutexLocker lock(&s.lock);
    if (!s.alive || s.offered || !s.source)
      return;
    s.offered = true;
  }
  g_signal_emit_by_name(webrtc, "create-offer", nullptr, describePromise(*holder));
}

void onIceCandidate(GstElement *, guint mline, gchar *candidate, gpointer data) {
  State &s = **static_cast<std::shared_ptr<State> *>(data);
  const QString text = QString::fromUtf8(candidate);
  QMutexLocker lock(&s.lock);
  s.post([mline, text](RtcPeer &p) { emit p.localCandidate(int(mline), text); });
}

void onGatheringState(GObject *webrtc, GParamSpec *, gpointer data) {
  GstWebRTCICEGatheringState state = GST_WEBRTC_ICE_GATHERING_STATE_NEW;
  g_object_get(webrtc, "ice-gathering-state", &state, nullptr);
  if (state != GST_WEBRTC_ICE_GATHERING_STATE_COMPLETE)
    return;
  State &s = **static_cast<std::shared_ptr<State> *>(data);
  QMutexLocker lock(&s.lock);
  s.post([](RtcPeer &p) { emit p.localCandidate(0, QString()); });
}

// Sending: a PLI or FIR from the far end comes up from the RTP session as a force-key-unit.
GstPadProbeReturn onUpstreamEvent(GstPad *, GstPadProbeInfo *info, gpointer data) {
  GstEvent *event = GST_PAD_PROBE_INFO_EVENT(info);
  if (event && gst_video_event_is_force_key_unit(event)) {
    State &s = **static_cast<std::shared_ptr<State> *>(data);
    QMutexLocker lock(&s.lock);
    s.post([](RtcPeer &p) { emit p.keyframeRequested(); });
  }
  return GST_PAD_PROBE_OK;
}

GstFlowReturn onSample(GstAppSink *sink, gpointer data) {
  State &s = **static_cast<std::shared_ptr<State> *>(data);
  GstSample *sample = gst_app_sink_pull_sample(sink);
  if (!sample)
    return GST_FLOW_EOS;
  hubproto::MediaFrame frame;
  const bool ok = frameFromSample(s, sample, &frame);
  gst_sample_unref(sample);
  QMutexLocker lock(&s.lock);
  if (ok)
    s.post([frame](RtcPeer &p) { emit p.received(frame); });
  return GST_FLOW_OK;
}

void freeHolder(gpointer d, GClosure *) { delete static_cast<std::shared_ptr<State> *>(d); }

template <typename Fn>
void connectState(gpointer object, const char *signal, Fn fn, const std::shared_ptr<State> &state) {
  g_signal_connect_data(object, signal, G_CALLBACK(fn), new std::shared_ptr<State>(state), freeHolder, GConnectFlags(0));
}

// Receiving: the far end's stream arrived; depayload it into an appsink of encoded frames.
void onPadAdded(GstElement *, GstPad *pad, gpointer data) {
  auto *holder = static_cast<std::shared_ptr<State> *>(data);
  State &s = **holder;
  if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC)
    return;
  GstCaps *caps = gst_pad_get_current_caps(pad);
  const gchar *encoding = caps ? gst_structure_get_string(gst_caps_get_structure(caps, 0), "encoding-name") : nullptr;
  const bool video = encoding && g_ascii_strcasecmp(encoding, "VP8") == 0;
  const bool audio = encoding && g_ascii_strcasecmp(encoding, "OPUS") == 0;
  if (caps)
    gst_caps_unref(caps);
  if (!video && !audio)
    return;
  GstElement *depay = gst_element_factory_make(video ? "rtpvp8depay" : "rtpopusdepay", nullptr);
  GstElement *sink = gst_element_factory_make("appsink", nullptr);
  if (!depay || !sink)
    return;
  g_object_set(sink, "sync", FALSE, "max-buffers", 64u, "drop", TRUE, nullptr);
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = onSample;
  gst_app_sink_set_callbacks(GST_APP_SINK(sink), &callbacks, new std::shared_ptr<State>(*holder),
                             [](gpointer d) { delete static_cast<std::shared_ptr<State> *>(d); });
  gst_bin_add_many(GST_BIN(s.pipeline), depay, sink, nullptr);
  gst_element_link(depay, sink);
  gst_element_sync_state_with_parent(depay);
  gst_element_sync_state_with_parent(sink);
  GstPad *depaySink = gst_element_get_static_pad(depay, "sink");
  gst_pad_link(pad, depaySink);
  gst_object_unref(depaySink);
  QMutexLocker lock(&s.lock);
  s.sink = GST_ELEMENT(gst_object_ref(sink));
}

GstBusSyncReply onBusMessage(GstBus *, GstMessage *message, gpointer data) {
  if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
    GError *error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    const QString why = QString::fromUtf8(error ? error->message : "pipeline error");
    g_clear_error(&error);
    State &s = **static_cast<std::shared_ptr<State> *>(data);
    QMutexLocker lock(&s.lock);
    s.post([why](RtcPeer &p) { emit p.failed(why); });
  }
  gst_message_unref(message);
  return GST_BUS_DROP;
}

GstSDPMessage *parseSdp(const QString &text) {
  GstSDPMessage *sdp = nullptr;
  if (gst_sdp_message_new_from_text(text.toUtf8().constData(), &sdp) != GST_SDP_OK) {
    if (sdp)
      gst_sdp_message_free(sdp);
    return nullptr;
  }
  return sdp;
}

// Receiving: once the far end's offer is set, our answer is made.
void onOfferSet(GstPromise *promise, gpointer data) {
  auto *holder = static_cast<std::shared_ptr<State> *>(data);
  gst_promise_unref(promise);
  State &s = **holder;
  QMutexLocker lock(&s.lock);
  if (s.alive)
    g_signal_emit_by_name(s.webrtc, "create-answer", nullptr, describePromise(*holder));
}

} // namespace

void RtcPeerState::post(std::function<void(RtcPeer &)> fn) {
  if (!alive || !peer)
    return;
  RtcPeer *target = peer;
  QMetaObject::invokeMethod(target, [target, fn] { fn(*target); }, Qt::QueuedConnection);
}

RtcPeer::RtcPeer(QObject *parent) : QObject(parent), m_state(std::make_shared<RtcPeerState>()) {
  ensureGst();
  m_state->peer = this;
}

RtcPeer::~RtcPeer() {
  {
    QMutexLocker lock(&m_state->lock);
    m_state->alive = false;
  }
  if (!m_state->pipeline)
    return;
  gst_element_set_state(m_state->pipeline, GST_STATE_NULL);
  GstBus *bus = gst_element_get_bus(m_state->pipeline);
  gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
  gst_object_unref(bus);
  // The signal handlers hold the state; letting go of the elements lets go of them.
  if (m_state->sink)
    gst_object_unref(m_state->sink);
  gst_object_unref(m_state->webrtc);
  if (m_state->source)
    gst_object_unref(m_state->source);
  gst_object_unref(m_state->pipeline);
}

bool RtcPeer::build(const char *description) {
  GError *error = nullptr;
  GstElement *pipeline = gst_parse_launch(description, &error);
  if (!pipeline || error) {
    m_error = QString::fromUtf8(error ? error->message : "no pipeline");
    g_clear_error(&error);
    if (pipeline)
      gst_object_unref(pipeline);
    return false;
  }
  // A description of one element makes that element, not a pipeline around it.
  if (!GST_IS_PIPELINE(pipeline)) {
    GstElement *element = pipeline;
    pipeline = gst_pipeline_new(nullptr);
    gst_bin_add(GST_BIN(pipeline), element);
  }
  State &s = *m_state;
  s.pipeline = pipeline;
  s.webrtc = gst_bin_get_by_name(GST_BIN(pipeline), "rtc");
  s.source = gst_bin_get_by_name(GST_BIN(pipeline), "src");
  g_object_set(s.webrtc, "latency", guint(kReceiveLatencyMs), nullptr);
  restrictIce(s.webrtc);
  g_signal_connect(pipeline, "deep-element-added", G_CALLBACK(onElementAdded), nullptr);
  connectState(s.webrtc, "on-new-transceiver", onNewTransceiver, m_state);
  connectState(s.webrtc, "on-ice-candidate", onIceCandidate, m_state);
  connectState(s.webrtc, "notify::ice-gathering-state", onGatheringState, m_state);
  GstBus *bus = gst_element_get_bus(pipeline);
  gst_bus_set_sync_handler(bus, onBusMessage, new std::shared_ptr<State>(m_state),
                           [](gpointer d) { delete static_cast<std::shared_ptr<State> *>(d); });
  gst_object_unref(bus);
  return true;
}

bool RtcPeer::startSending(hubproto::MediaFrame::Kind kind) {
  if (m_state->pipeline || !build(kind == hubproto::MediaFrame::Video ? kSendVideo : kSendAudio))
    return false;
  State &s = *m_state;
  GstElement *pay = gst_bin_get_by_name(GST_BIN(s.pipeline), "pay");
  GstPad *paySink = gst_element_get_static_pad(pay, "sink");
  gst_pad_add_probe(paySink, GST_PAD_PROBE_TYPE_EVENT_UPSTREAM, onUpstreamEvent, new std::shared_ptr<State>(m_state),
                    [](gpointer d) { delete static_cast<std::shared_ptr<State> *>(d); });
  gst_object_unref(paySink);
  gst_object_unref(pay);
  // The transceiver the payloader's link made only sends.
  GstWebRTCRTPTransceiver *transceiver = nullptr;
  g_signal_emit_by_name(s.webrtc, "get-transceiver", 0, &transceiver);
  if (transceiver) {
    g_object_set(transceiver, "direction", GST_WEBRTC_RTP_TRANSCEIVER_DIRECTION_SENDONLY, "do-nack", TRUE, nullptr);
    gst_object_unref(transceiver);
  }
  connectState(s.webrtc, "on-negotiation-needed", onNegotiationNeeded, m_state);
  if (gst_element_set_state(s.pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    m_error = QStringLiteral("the sending pipeline did not start");
    return false;
  }
  return true;
}

void RtcPeer::setAnswer(const QString &text) {
  GstSDPMessage *sdp = parseSdp(text);
  if (!sdp || !m_state->webrtc)
    return emit failed(QStringLiteral("unreadable answer"));
  GstWebRTCSessionDescription *answer = gst_webrtc_session_description_new(GST_WEBRTC_SDP_TYPE_ANSWER, sdp);
  g_signal_emit_by_name(m_state->webrtc, "set-remote-description", answer, nullptr);
  gst_webrtc_session_description_free(answer);
}

void RtcPeer::push(const hubproto::MediaFrame &frame) {
  GstElement *source = m_state->source;
  if (!source || frame.payload.isEmpty())
    return;
  GstBuffer *buffer = gst_buffer_new_memdup(frame.payload.constData(), gsize(frame.payload.size()));
  if (frame.kind == hubproto::MediaFrame::Video && !frame.keyframe)
    GST_BUFFER_FLAG_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT);
  gst_app_src_push_buffer(GST_APP_SRC(source), buffer);
}

bool RtcPeer::startReceiving(const QString &offerText) {
  GstSDPMessage *sdp = parseSdp(offerText);
  if (!sdp) {
    m_error = QStringLiteral("unreadable offer");
    return false;
  }
  if (m_state->pipeline || !build(kReceive)) {
    gst_sdp_message_free(sdp);
    return false;
  }
  State &s = *m_state;
  connectState(s.webrtc, "pad-added", onPadAdded, m_state);
  if (gst_element_set_state(s.pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    gst_sdp_message_free(sdp);
    m_error = QStringLiteral("the receiving pipeline did not start");
    return false;
  }
  GstWebRTCSessionDescription *offer = gst_webrtc_session_description_new(GST_WEBRTC_SDP_TYPE_OFFER, sdp);
  GstPromise *set = gst_promise_new_with_change_func(onOfferSet, new std::shared_ptr<State>(m_state),
                                                     [](gpointer d) { delete static_cast<std::shared_ptr<State> *>(d); });
  g_signal_emit_by_name(s.webrtc, "set-remote-description", offer, set);
  gst_webrtc_session_description_free(offer);
  return true;
}

void RtcPeer::requestKeyframe() {
  GstElement *sink = nullptr;
  {
    QMutexLocker lock(&m_state->lock);
    if (m_state->sink)
      sink = GST_ELEMENT(gst_object_ref(m_state->sink));
  }
  if (!sink)
    return;
  GstPad *pad = gst_element_get_static_pad(sink, "sink");
  gst_pad_push_event(pad, gst_video_event_new_upstream_force_key_unit(GST_CLOCK_TIME_NONE, FALSE, 0));
  gst_object_unref(pad);
  gst_object_unref(sink);
}

} // namespace sdk

#include "support/webrtcpublisher.h"

#include <QTest>

#define GST_USE_UNSTABLE_API
#include <gst/gst.h>
#include <gst/sdp/sdp.h>
#include <gst/webrtc/webrtc.h>

namespace {
constexpr int kOfferWaitMs = 10000;

const char kPipeline[] =
    "videotestsrc is-live=true pattern=ball ! video/x-raw,width=320,height=240,framerate=15/1 ! "
    "vp8enc deadline=1 keyframe-max-dist=30 ! rtpvp8pay pt=96 ! "
    "application/x-rtp,media=video,encoding-name=VP8,payload=96,clock-rate=90000 ! "
    "webrtcbin name=publisher bundle-policy=max-bundle";

// libnice would look for a router over UPnP first, which only delays gathering here.
void quietIce(GstElement *webrtc) {
  if (!g_object_class_find_property(G_OBJECT_GET_CLASS(webrtc), "ice-agent"))
    return;
  GObject *ice = nullptr;
  g_object_get(webrtc, "ice-agent", &ice, nullptr);
  if (!ice)
    return;
  if (g_object_class_find_property(G_OBJECT_GET_CLASS(ice), "agent")) {
    GObject *agent = nullptr;
    g_object_get(ice, "agent", &agent, nullptr);
    if (agent && g_object_class_find_property(G_OBJECT_GET_CLASS(agent), "upnp"))
      g_object_set(agent, "upnp", FALSE, nullptr);
    if (agent)
      g_object_unref(agent);
  }
  g_object_unref(ice);
}
} // namespace

WebRtcPublisher::WebRtcPublisher() { gst_init(nullptr, nullptr); }

WebRtcPublisher::~WebRtcPublisher() {
  if (m_pipeline) {
    gst_element_set_state(m_pipeline, GST_STATE_NULL);
    gst_object_unref(m_webrtc);
    gst_object_unref(m_pipeline);
  }
}

void WebRtcPublisher::onNegotiationNeeded(GstElement *webrtc, void *self) {
  GstPromise *promise = gst_promise_new_with_change_func(
      [](GstPromise *p, gpointer s) { onOfferCreated(p, s); }, self, nullptr);
  g_signal_emit_by_name(webrtc, "create-offer", nullptr, promise);
}

void WebRtcPublisher::onOfferCreated(GstPromise *promise, void *self) {
  auto *me = static_cast<WebRtcPublisher *>(self);
  GstWebRTCSessionDescription *offer = nullptr;
  const GstStructure *reply = gst_promise_get_reply(promise);
  if (reply)
    gst_structure_get(reply, "offer", GST_TYPE_WEBRTC_SESSION_DESCRIPTION, &offer, nullptr);
  gst_promise_unref(promise);
  if (!offer)
    return;
  g_signal_emit_by_name(me->m_webrtc, "set-local-description", offer, nullptr);
  gst_webrtc_session_description_free(offer);
}

void WebRtcPublisher::onGatheringState(GstElement *webrtc, void *, void *self) {
  auto *me = static_cast<WebRtcPublisher *>(self);
  GstWebRTCICEGatheringState state = GST_WEBRTC_ICE_GATHERING_STATE_NEW;
  g_object_get(webrtc, "ice-gathering-state", &state, nullptr);
  if (state != GST_WEBRTC_ICE_GATHERING_STATE_COMPLETE)
    return;
  GstWebRTCSessionDescription *local = nullptr;
  g_object_get(webrtc, "local-description", &local, nullptr);
  if (!local)
    return;
  gchar *text = gst_sdp_message_as_text(local->sdp);
  {
    std::lock_guard<std::mutex> guard(me->m_lock);
    me->m_offer = QString::fromUtf8(text);
  }
  g_free(text);
  gst_webrtc_session_description_free(local);
  me->m_offerReady = true;
}

bool WebRtcPublisher::makeOffer(QString *sdp, QString *error) {
  GError *parseError = nullptr;
  m_pipeline = gst_parse_launch(kPipeline, &parseError);
  if (!m_pipeline) {
    *error = QStringLiteral("pipeline: %1").arg(QString::fromUtf8(parseError ? parseError->message : "?"));
    g_clear_error(&parseError);
    return false;
  }
  m_webrtc = gst_bin_get_by_name(GST_BIN(m_pipeline), "publisher");
  quietIce(m_webrtc);
  g_signal_connect(m_webrtc, "on-negotiation-needed", G_CALLBACK(onNegotiationNeeded), this);
  g_signal_connect(m_webrtc, "notify::ice-gathering-state", G_CALLBACK(onGatheringState), this);
  if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    *error = QStringLiteral("the pipeline did not start");
    return false;
  }
  if (!QTest::qWaitFor([this] { return m_offerReady.load(); }, kOfferWaitMs)) {
    *error = QStringLiteral("no complete offer in time");
    return false;
  }
  std::lock_guard<std::mutex> guard(m_lock);
  *sdp = m_offer;
  return true;
}

bool WebRtcPublisher::setAnswer(const QString &sdp, QString *error) {
  GstSDPMessage *message = nullptr;
  gst_sdp_message_new_from_text(sdp.toUtf8().constData(), &message);
  if (!message) {
    *error = QStringLiteral("the answer is no SDP");
    return false;
  }
  GstWebRTCSessionDescription *answer = gst_webrtc_session_description_new(GST_WEBRTC_SDP_TYPE_ANSWER, message);
  g_signal_emit_by_name(m_webrtc, "set-remote-description", answer, nullptr);
  gst_webrtc_session_description_free(answer);
  return true;
}

bool WebRtcPublisher::isConnected() const {
  GstWebRTCICEConnectionState state = GST_WEBRTC_ICE_CONNECTION_STATE_NEW;
  g_object_get(m_webrtc, "ice-connection-state", &state, nullptr);
  return state == GST_WEBRTC_ICE_CONNECTION_STATE_CONNECTED || state == GST_WEBRTC_ICE_CONNECTION_STATE_COMPLETED;
}

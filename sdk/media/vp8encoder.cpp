#include "sdk/media/vp8encoder.h"

#include <gst/gst.h>
#include <gst/video/video.h>

namespace media {

namespace {
constexpr int kWaitMs = 500; // how long one call waits for its own frame
}

Vp8Encoder::Vp8Encoder(const Vp8Settings &settings)
    : m_settings(settings), m_pipeline(std::make_unique<AppPipeline>(settings.pipeline())) {}

Vp8Encoder::~Vp8Encoder() = default;

QList<EncodedFrame> Vp8Encoder::encode(const QByteArray &i420, qint64 timeMs) {
  QList<EncodedFrame> out;
  if (m_firstMs < 0)
    m_firstMs = timeMs;
  // The encoder's rate control needs rising time stamps; the caller's clock may repeat.
  const qint64 pts = qMax(timeMs - m_firstMs, m_lastPtsMs + 1);
  m_lastPtsMs = pts;
  if (!m_pipeline->push(i420, pts, 1000 / m_settings.fps))
    return out;
  // Waits for this picture's own frame, then takes anything else that is ready.
  Packet packet;
  int wait = kWaitMs;
  while (m_pipeline->pull(&packet, wait)) {
    out.append(EncodedFrame{packet.bytes, !packet.delta, packet.ptsMs + m_firstMs});
    if (packet.ptsMs >= pts)
      wait = 0;
  }
  return out;
}

void Vp8Encoder::requestKeyframe() {
  GstElement *encoder = m_pipeline->element("enc");
  if (!encoder)
    return;
  GstPad *pad = gst_element_get_static_pad(encoder, "src");
  gst_pad_send_event(pad, gst_video_event_new_upstream_force_key_unit(GST_CLOCK_TIME_NONE, TRUE, 0));
  gst_object_unref(pad);
}

} // namespace media

#include "sdk/media/apppipeline.h"

#include <gst/app/gstappsink.h>
#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <cstring>
#include <mutex>

namespace media {

namespace {

void initOnce() {
  static std::once_flag once;
  std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

constexpr GstClockTime ms(qint64 v) { return static_cast<GstClockTime>(v) * GST_MSECOND; }

// Copies a raw picture's planes row by row, dropping the strides GStreamer pads them to.
bool packI420(GstSample *sample, GstBuffer *buffer, Packet *out) {
  GstVideoInfo info;
  if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) ||
      GST_VIDEO_INFO_FORMAT(&info) != GST_VIDEO_FORMAT_I420)
    return false;
  GstVideoFrame frame;
  if (!gst_video_frame_map(&frame, &info, buffer, GST_MAP_READ))
    return false;
  const int w = GST_VIDEO_INFO_WIDTH(&info);
  const int h = GST_VIDEO_INFO_HEIGHT(&info);
  const int cw = (w + 1) / 2;
  const int ch = (h + 1) / 2;
  out->bytes.resize(w * h + 2 * cw * ch);
  char *dst = out->bytes.data();
  for (int plane = 0; plane < 3; ++plane) {
    const int pw = plane == 0 ? w : cw;
    const int ph = plane == 0 ? h : ch;
    const auto *src = static_cast<const char *>(GST_VIDEO_FRAME_PLANE_DATA(&frame, plane));
    const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&frame, plane);
    for (int y = 0; y < ph; ++y, dst += pw)
      std::memcpy(dst, src + static_cast<ptrdiff_t>(y) * stride, static_cast<size_t>(pw));
  }
  gst_video_frame_unmap(&frame);
  out->width = w;
  out->height = h;
  return true;
}

bool isRawVideo(GstSample *sample) {
  GstCaps *caps = gst_sample_get_caps(sample);
  const GstStructure *s = caps && gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
  return s && gst_structure_has_name(s, "video/x-raw");
}

} // namespace

AppPipeline::AppPipeline(const QByteArray &description) {
  initOnce();
  GError *error = nullptr;
  m_pipeline = gst_parse_launch(description.constData(), &error);
  if (error) {
    m_fault = QString::fromUtf8(error->message);
    g_error_free(error);
  }
  if (!m_pipeline) {
    if (m_fault.isEmpty())
      m_fault = QStringLiteral("pipeline did not build");
    return;
  }
  m_src = element("src");
  m_sink = element("sink");
  if (!m_src || !m_sink)
    m_fault = QStringLiteral("pipeline without its src and sink");
  else if (gst_element_set_state(m_pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE)
    m_fault = QStringLiteral("pipeline refused to start");
}

AppPipeline::~AppPipeline() {
  if (!m_pipeline)
    return;
  gst_element_set_state(m_pipeline, GST_STATE_NULL);
  gst_object_unref(m_pipeline);
}

GstElement *AppPipeline::element(const char *name) const {
  if (!m_pipeline || !GST_IS_BIN(m_pipeline))
    return nullptr;
  GstElement *e = gst_bin_get_by_name(GST_BIN(m_pipeline), name);
  if (e)
    gst_object_unref(e); // the bin holds it as long as the pipeline lives
  return e;
}

void AppPipeline::readBus() {
  if (!m_pipeline)
    return;
  GstBus *bus = gst_element_get_bus(m_pipeline);
  while (GstMessage *msg = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR)) {
    GError *error = nullptr;
    gst_message_parse_error(msg, &error, nullptr);
    if (m_fault.isEmpty())
      m_fault = error ? QString::fromUtf8(error->message) : QStringLiteral("pipeline error");
    if (error)
      g_error_free(error);
    gst_message_unref(msg);
  }
  gst_object_unref(bus);
}

bool AppPipeline::isHealthy() {
  readBus();
  return m_fault.isEmpty();
}

bool AppPipeline::push(const QByteArray &bytes, qint64 ptsMs, qint64 durationMs) {
  if (!isHealthy())
    return false;
  GstBuffer *buffer = gst_buffer_new_allocate(nullptr, static_cast<gsize>(bytes.size()), nullptr);
  gst_buffer_fill(buffer, 0, bytes.constData(), static_cast<gsize>(bytes.size()));
  GST_BUFFER_PTS(buffer) = ms(ptsMs);
  GST_BUFFER_DURATION(buffer) = durationMs > 0 ? ms(durationMs) : GST_CLOCK_TIME_NONE;
  return gst_app_src_push_buffer(GST_APP_SRC(m_src), buffer) == GST_FLOW_OK;
}

bool AppPipeline::pushGap(qint64 ptsMs, qint64 durationMs) {
  if (!isHealthy())
    return false;
  // appsrc keeps serialized events in order with the buffers it queued.
  return gst_element_send_event(m_src, gst_event_new_gap(ms(ptsMs), ms(durationMs)));
}

bool AppPipeline::pull(Packet *out, int timeoutMs) {
  if (!m_sink)
    return false;
  GstSample *sample = gst_app_sink_try_pull_sample(GST_APP_SINK(m_sink), ms(timeoutMs));
  if (!sample)
    return false;
  GstBuffer *buffer = gst_sample_get_buffer(sample);
  bool ok = buffer != nullptr;
  if (ok) {
    *out = Packet();
    out->ptsMs = GST_BUFFER_PTS_IS_VALID(buffer) ? static_cast<qint64>(GST_BUFFER_PTS(buffer) / GST_MSECOND) : -1;
    out->delta = GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT);
    if (isRawVideo(sample)) {
      ok = packI420(sample, buffer, out);
    } else {
      out->bytes.resize(static_cast<int>(gst_buffer_get_size(buffer)));
      gst_buffer_extract(buffer, 0, out->bytes.data(), static_cast<gsize>(out->bytes.size()));
    }
  }
  gst_sample_unref(sample);
  return ok;
}

} // namespace media

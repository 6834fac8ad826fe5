// Receiving: depayloaded buffers become the hub's frames, so that the SDK's decoders take them
// as they take the hub's. A video frame's size comes from the depayloader's caps; a gap the
// depayloader marks (packets lost beyond retransmission) shows as a gap in the sequence, so
// the decoder waits for the next keyframe instead of drawing a broken picture. A voice packet's
// sequence follows from its time: one packet every 20 ms.
#include "sdk/net/webrtc/rtcpeerstate.h"

namespace sdk {

namespace {
constexpr GstClockTime kOpusPacket = 20 * GST_MSECOND;

bool videoSize(GstSample *sample, int *width, int *height) {
  GstCaps *caps = gst_sample_get_caps(sample);
  if (!caps || gst_caps_is_empty(caps))
    return false;
  const GstStructure *s = gst_caps_get_structure(caps, 0);
  return gst_structure_get_int(s, "width", width) && gst_structure_get_int(s, "height", height) && *width > 0 &&
         *height > 0 && *width <= hubproto::kMaxVideoSide && *height <= hubproto::kMaxVideoSide;
}
} // namespace

bool frameFromSample(RtcPeerState &state, GstSample *sample, hubproto::MediaFrame *frame) {
  GstBuffer *buffer = gst_sample_get_buffer(sample);
  GstCaps *caps = gst_sample_get_caps(sample);
  if (!buffer || !caps)
    return false;
  GstMapInfo map;
  if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
    return false;
  const QByteArray payload(reinterpret_cast<const char *>(map.data), int(map.size));
  gst_buffer_unmap(buffer, &map);
  const GstClockTime pts = GST_BUFFER_PTS(buffer);
  const quint32 ms = GST_CLOCK_TIME_IS_VALID(pts) ? quint32(pts / GST_MSECOND) : 0;
  const bool video = gst_structure_has_name(gst_caps_get_structure(caps, 0), "video/x-vp8");
  if (!video) {
    if (!GST_CLOCK_TIME_IS_VALID(pts))
      return false;
    if (!GST_CLOCK_TIME_IS_VALID(state.firstAudioPts))
      state.firstAudioPts = pts;
    const GstClockTime since = pts > state.firstAudioPts ? pts - state.firstAudioPts : 0;
    *frame = hubproto::opusFrame(payload, quint32((since + kOpusPacket / 2) / kOpusPacket), ms);
    return !payload.isEmpty() && payload.size() <= hubproto::kMaxOpusPacket;
  }
  int width = 0, height = 0;
  if (!videoSize(sample, &width, &height) || payload.isEmpty())
    return false;
  if (GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DISCONT))
    ++state.videoSequence; // leaves a hole: what follows may refer to what was lost
  const bool keyframe = !GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DELTA_UNIT);
  *frame = hubproto::vp8Frame(hubproto::Source::Camera, width, height, payload, keyframe, state.videoSequence++, ms);
  return true;
}

} // namespace sdk

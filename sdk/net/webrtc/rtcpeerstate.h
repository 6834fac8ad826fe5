#pragma once
// What the GStreamer threads of an RtcPeer share with it: the pipeline's elements and the
// lock that keeps a callback from reaching a peer that is going away. A callback takes the
// lock, checks alive, and posts to the peer's thread while holding it; the peer's destructor
// clears alive under the same lock before it stops the pipeline.

#include "protocol/mediaframe.h"

#include <QMutex>
#include <QPointer>

#include <gst/gst.h>

#include <functional>

namespace sdk {

class RtcPeer;

struct RtcPeerState {
  QMutex lock;
  bool alive = true;
  RtcPeer *peer = nullptr;
  GstElement *pipeline = nullptr;
  GstElement *webrtc = nullptr;
  GstElement *source = nullptr; // sending: the appsrc
  GstElement *sink = nullptr;   // receiving: the appsink, once the far end's stream arrived
  bool offered = false;
  // receiving: what turns depayloaded buffers into hub frames
  quint32 videoSequence = 0;
  GstClockTime firstAudioPts = GST_CLOCK_TIME_NONE;

  // Runs fn on the peer's thread unless the peer is going away.
  void post(std::function<void(RtcPeer &)> fn);
};

// Receiving: the depayloaded frame in sample as a hub frame (VP8 or Opus).
bool frameFromSample(RtcPeerState &state, GstSample *sample, hubproto::MediaFrame *frame);

} // namespace sdk

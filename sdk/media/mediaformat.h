#pragma once
// The media layer's fixed choices: how voices are coded and buffered, and how often a video
// stream starts over with a keyframe.

#include "protocol/mediaframe.h"

namespace media {

constexpr int kOpusRate = static_cast<int>(hubproto::kOpusRate); // Opus always runs at 48 kHz here
constexpr int kOpusFrameMs = 20;     // one packet every 20 ms
constexpr int kOpusBitrate = 32000;  // bits per second, mono voice
constexpr int kJitterMs = 60;        // received voice waits this long before it plays
constexpr int kKeyframeIntervalMs = 3000; // the longest a new subscriber waits for a picture
constexpr int kKeyframeAskIntervalMs = 250; // a receiver repeats its keyframe request at most this often

} // namespace media

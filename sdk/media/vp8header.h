#pragma once
// The first bytes of a VP8 frame (the frame tag, and for a keyframe its start code and
// size), read before a payload goes near the decoder: a truncated or foreign payload is
// refused here instead of being decoded into garbage.

#include <QByteArray>

namespace media {

struct Vp8Header {
  bool keyframe = false;
  bool shown = false; // our encoders make no hidden frames
  int width = 0;  // keyframes only
  int height = 0; // keyframes only

  // False when the bytes cannot be the start of a VP8 frame or are shorter than its first
  // partition says.
  static bool read(const QByteArray &payload, Vp8Header *out);
};

} // namespace media

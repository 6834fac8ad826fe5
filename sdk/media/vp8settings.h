#pragma once
// How one video source is encoded: its size and rate, and the bitrate and tuning that follow
// from them. A camera is tuned for motion; a shared screen for sharp text at a low rate.

#include <QByteArray>

namespace media {

struct Vp8Settings {
  int width = 0;
  int height = 0;
  int fps = 15;
  bool screen = false;
  int bitrate = 0; // bits per second

  // About 400 kbit/s for 640 × 480 at 15 fps, 600 kbit/s for a 1280 × 720 screen at 5 fps.
  static Vp8Settings forSource(int width, int height, int fps, bool screen);
  // The encoder's gst-launch line, I420 in through "src", VP8 out through "sink".
  QByteArray pipeline() const;
};

} // namespace media

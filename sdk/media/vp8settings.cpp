#include "sdk/media/vp8settings.h"

#include "sdk/media/mediaformat.h"

#include <QtGlobal>

namespace media {

namespace {
// Bits per pixel per second: 640 × 480 × 15 = 4.6 Mpx/s gives 400 kbit/s. A screen spends half
// as much again per pixel: few pictures, each of which must keep its text readable.
constexpr double kCameraBitsPerPixel = 400000.0 / (640 * 480 * 15);
constexpr double kScreenFactor = 1.5;
constexpr int kMinBitrate = 64000;
constexpr int kMaxBitrate = 1500000;
} // namespace

Vp8Settings Vp8Settings::forSource(int width, int height, int fps, bool screen) {
  Vp8Settings s;
  s.width = width;
  s.height = height;
  s.fps = qBound(1, fps, 60);
  s.screen = screen;
  const double rate = static_cast<double>(width) * height * s.fps * kCameraBitsPerPixel;
  s.bitrate = qBound(kMinBitrate, static_cast<int>(rate * (screen ? kScreenFactor : 1.0)), kMaxBitrate);
  return s;
}

QByteArray Vp8Settings::pipeline() const {
  // Real time: a deadline of 1 µs, no look-ahead, error-resilient so that a lost frame spoils
  // only what follows it until the next keyframe. A screen skips unchanged blocks
  // (static-threshold) and keeps a quality floor (max-quantizer) so that text stays sharp;
  // a camera may go coarser under motion.
  const int keyframeDistance = qMax(1, fps * kKeyframeIntervalMs / 1000);
  return QByteArrayLiteral("appsrc name=src format=time is-live=true caps=video/x-raw,format=I420,width=") +
         QByteArray::number(width) + ",height=" + QByteArray::number(height) + ",framerate=" +
         QByteArray::number(fps) + "/1 ! vp8enc name=enc deadline=1 lag-in-frames=0 threads=1 error-resilient=default" +
         " end-usage=cbr target-bitrate=" + QByteArray::number(bitrate) +
         " keyframe-max-dist=" + QByteArray::number(keyframeDistance) +
         (screen ? " cpu-used=8 static-threshold=100 min-quantizer=2 max-quantizer=40 undershoot=95"
                 : " cpu-used=12 min-quantizer=4 max-quantizer=56") +
         " ! appsink name=sink sync=false";
}

} // namespace media

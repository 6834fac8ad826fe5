#include "sdk/live/testpatterncamera.h"

#include "protocol/mediaframe.h"

#include <cstring>

namespace ilivesdk {

namespace {

struct Yuv {
  uchar y, u, v;
};

// The eight classic bars (white, yellow, cyan, green, magenta, red, blue, black) in BT.601.
constexpr Yuv kBars[8] = {{235, 128, 128}, {210, 16, 146}, {170, 166, 16}, {145, 54, 34},
                          {106, 202, 222}, {81, 90, 240},  {41, 240, 110}, {16, 128, 128}};
constexpr Yuv kBlock = {128, 200, 60};

void fillRect(uchar *y, uchar *u, uchar *v, int width, int height, int x0, int y0, int w, int h,
              Yuv c) {
  const int left = qMax(0, x0);
  const int right = qMin(width, x0 + w);
  const int top = qMax(0, y0);
  const int bottom = qMin(height, y0 + h);
  if (left >= right || top >= bottom)
    return;
  const int cw = (width + 1) / 2;
  for (int row = top; row < bottom; ++row)
    std::memset(y + row * width + left, c.y, static_cast<size_t>(right - left));
  for (int row = top / 2; row < (bottom + 1) / 2; ++row) {
    std::memset(u + row * cw + left / 2, c.u, static_cast<size_t>((right + 1) / 2 - left / 2));
    std::memset(v + row * cw + left / 2, c.v, static_cast<size_t>((right + 1) / 2 - left / 2));
  }
}

} // namespace

TestPatternCamera::TestPatternCamera(FrameFn onFrame, QObject *parent)
    : QObject(parent), m_onFrame(std::move(onFrame)), m_timer(this) {
  m_timer.setTimerType(Qt::PreciseTimer);
  connect(&m_timer, &QTimer::timeout, this, &TestPatternCamera::tick);
}

void TestPatternCamera::start() {
  m_frame = 0;
  m_timer.start(1000 / kFramesPerSecond);
}

void TestPatternCamera::stop() { m_timer.stop(); }

void TestPatternCamera::tick() { m_onFrame(picture(m_frame++), kWidth, kHeight); }

QByteArray TestPatternCamera::picture(int n, int width, int height) {
  QByteArray frame(hubproto::i420Size(width, height), '\0');
  uchar *y = reinterpret_cast<uchar *>(frame.data());
  uchar *u = y + width * height;
  uchar *v = u + ((width + 1) / 2) * ((height + 1) / 2);
  const int barWidth = (width + 7) / 8;
  for (int b = 0; b < 8; ++b)
    fillRect(y, u, v, width, height, b * barWidth, 0, barWidth, height, kBars[b]);
  // The block bounces left and right across the lower third.
  const int size = qMax(2, height / 6);
  const int span = qMax(1, width - size);
  const int step = (n * 8) % (2 * span);
  const int x = step < span ? step : 2 * span - step;
  fillRect(y, u, v, width, height, x, height * 2 / 3, size, size, kBlock);
  return frame;
}

} // namespace ilivesdk

#include "classpictures.h"

#include "av/qwidgetvideorender.h"
#include "av/qwidgetvideorendercontainer.h"
#include "av/videotilepool.h"
#include "sdk/live/testpatterncamera.h"
#include "teacher/screenslide.h"

#include <QPoint>

using ilivesdk::TestPatternCamera;

namespace classpictures {

namespace {

const int kTolerance = 16;

// One pixel of an I420 picture as RGB (BT.601, studio range), as the views convert it.
QRgb rgbAt(const QByteArray &i420, int width, int height, int x, int y) {
  const auto *p = reinterpret_cast<const uchar *>(i420.constData());
  const int cw = (width + 1) / 2;
  const double Y = 1.164 * (p[y * width + x] - 16);
  const double U = p[width * height + (y / 2) * cw + x / 2] - 128;
  const double V = p[width * height + cw * ((height + 1) / 2) + (y / 2) * cw + x / 2] - 128;
  auto clamp = [](double c) { return qBound(0, int(c + 0.5), 255); };
  return qRgb(clamp(Y + 1.596 * V), clamp(Y - 0.392 * U - 0.813 * V), clamp(Y + 2.017 * U));
}

bool close(QRgb a, QRgb b) {
  return qAbs(qRed(a) - qRed(b)) <= kTolerance && qAbs(qGreen(a) - qGreen(b)) <= kTolerance &&
         qAbs(qBlue(a) - qBlue(b)) <= kTolerance;
}

// The picture sits at its own size in the middle of the canvas.
QPoint origin(const QImage &canvas, int width, int height) {
  return QPoint((canvas.width() - width) / 2, (canvas.height() - height) / 2);
}

} // namespace

// The middle of each of the eight bars, above the bouncing block.
bool showsTestPattern(const QImage &canvas) {
  const int w = TestPatternCamera::kWidth, h = TestPatternCamera::kHeight;
  if (canvas.width() < w || canvas.height() < h)
    return false;
  const QByteArray pattern = TestPatternCamera::picture(0);
  const QPoint o = origin(canvas, w, h);
  for (int bar = 0; bar < 8; ++bar) {
    const int x = bar * w / 8 + w / 16;
    for (int y : {h / 8, h / 3, h / 2}) {
      if (!close(canvas.pixel(o.x() + x, o.y() + y), rgbAt(pattern, w, h, x, y)))
        return false;
    }
  }
  return true;
}

// A grid over the slide, where the slide is plain for a few pixels around; nearly all must
// match (the moving graph point and the clock may cover a few).
bool showsSlide(const QImage &canvas, const QByteArray &slide) {
  const int w = ScreenSlide::kWidth, h = ScreenSlide::kHeight;
  if (canvas.width() < w || canvas.height() < h)
    return false;
  const QPoint o = origin(canvas, w, h);
  int compared = 0, matched = 0;
  for (int y = 20; y < h - 20; y += 41)
    for (int x = 20; x < w - 20; x += 53) {
      const QRgb c = rgbAt(slide, w, h, x, y);
      bool plain = true;
      for (int dy = -3; dy <= 3 && plain; ++dy)
        for (int dx = -3; dx <= 3 && plain; ++dx)
          plain = rgbAt(slide, w, h, x + dx, y + dy) == c;
      if (!plain)
        continue;
      ++compared;
      matched += close(canvas.pixel(o.x() + x, o.y() + y), c) ? 1 : 0;
    }
  return compared >= 50 && matched * 10 >= compared * 9;
}

QWidgetVideoRender *tileOf(const QString &userId) {
  QWidgetVideoRenderContainer *tile = VideoTilePool::instance().tile(userId);
  return tile ? tile->render() : nullptr;
}

bool showsCameraOf(QWidgetVideoRender *view, const QString &userId) {
  return view && view->streamUserId() == userId.toUtf8() && showsTestPattern(view->canvasSnapshot());
}

} // namespace classpictures

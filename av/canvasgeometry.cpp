#include "av/canvasgeometry.h"

#include <algorithm>

CanvasGeometry canvasGeometry(const QSize &view, const QSize &picture) {
  const int w = picture.width();
  const int h = picture.height();
  CanvasGeometry g;
  g.width = w;
  g.height = h;
  if (view.width() > 0 && view.height() > 0) {
    const double viewW = view.width();
    const double viewH = view.height();
    if (viewW / viewH <= static_cast<double>(w) / h)
      g.height = static_cast<int>(w * viewH / viewW);
    else
      g.width = static_cast<int>(h * viewW / viewH);
  }
  // Truncation may land one pixel short of the picture when the shapes are nearly equal.
  g.width = (std::max(g.width, w) + 3) & ~3;
  g.height = std::max(g.height, h);
  g.x = (g.width - w) / 2;
  g.y = (g.height - h) / 2;
  return g;
}

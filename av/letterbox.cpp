#include "av/letterbox.h"

#include "av/canvasgeometry.h"

#include <QPainter>

QRect letterboxRect(const QRect &area, const QSize &picture) {
  const CanvasGeometry g = canvasGeometry(area.size(), picture);
  if (g.width <= 0 || g.height <= 0)
    return QRect();
  // The canvas geometry scaled onto the area, so that the screen matches the snapshot.
  const double sx = static_cast<double>(area.width()) / g.width;
  const double sy = static_cast<double>(area.height()) / g.height;
  const QRectF scaled(area.x() + g.x * sx, area.y() + g.y * sy, picture.width() * sx, picture.height() * sy);
  return scaled.toRect();
}

void paintLetterboxed(QPainter &painter, const QRect &area, const QImage &picture) {
  const QRect target = letterboxRect(area, picture.size());
  // The four bars; those of zero size paint nothing.
  painter.fillRect(QRect(area.left(), area.top(), area.width(), target.top() - area.top()), Qt::black);
  painter.fillRect(QRect(area.left(), target.bottom() + 1, area.width(), area.bottom() - target.bottom()), Qt::black);
  painter.fillRect(QRect(area.left(), target.top(), target.left() - area.left(), target.height()), Qt::black);
  painter.fillRect(QRect(target.right() + 1, target.top(), area.right() - target.right(), target.height()), Qt::black);
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, picture);
  painter.restore();
}

QImage letterboxed(const QSize &view, const QImage &picture) {
  const CanvasGeometry g = canvasGeometry(view, picture.size());
  QImage out(g.width, g.height, QImage::Format_RGB32);
  out.fill(Qt::black);
  QPainter painter(&out);
  painter.drawImage(g.x, g.y, picture);
  return out;
}

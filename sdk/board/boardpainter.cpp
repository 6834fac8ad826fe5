#include "sdk/board/boardpainter.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygon>

namespace board {

QColor colorOf(uint32_t rgba) {
  return QColor(int(rgba >> 24), int((rgba >> 16) & 0xFF), int((rgba >> 8) & 0xFF), int(rgba & 0xFF));
}

void paintItem(QPainter &p, const Item &item) {
  QPen pen(colorOf(item.color), item.penWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(item.fill ? QBrush(colorOf(item.color)) : Qt::NoBrush);
  const QPoint a = item.points.first(), b = item.points.last();
  switch (item.shape) {
  case ToolPen:
    if (item.points.size() == 1)
      p.drawPoint(a);
    else
      p.drawPolyline(QPolygon(item.points));
    break;
  case ToolLine: p.drawLine(a, b); break;
  case ToolEllipse: p.drawEllipse(QRect(a, b).normalized()); break;
  case ToolRectangle: p.drawRect(QRect(a, b).normalized()); break;
  default: break;
  }
}

void paintBoard(QPainter &p, const Board &b, const QImage *background) {
  const QRect canvas(0, 0, kCanvasWidth, kCanvasHeight);
  p.fillRect(canvas, colorOf(b.background));
  if (background && !background->isNull()) {
    const QSize fitted = background->size().scaled(canvas.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), fitted);
    target.moveCenter(canvas.center());
    p.drawImage(target, *background);
  }
  for (const Item &item : b.items)
    if (item.visible)
      paintItem(p, item);
}

QRectF canvasRect(const QSizeF &window) {
  const QSizeF fitted = QSizeF(kCanvasWidth, kCanvasHeight).scaled(window, Qt::KeepAspectRatio);
  return QRectF(QPointF((window.width() - fitted.width()) / 2, (window.height() - fitted.height()) / 2),
                fitted);
}

} // namespace board

namespace board {

QPainterPath itemArea(const Item &item, double extra) {
  QPainterPath shape;
  const QRect box = QRect(item.points.first(), item.points.last()).normalized();
  switch (item.shape) {
  case ToolEllipse: shape.addEllipse(box); break;
  case ToolRectangle: shape.addRect(box); break;
  case ToolLine: shape.moveTo(item.points.first()); shape.lineTo(item.points.last()); break;
  default:
    shape.addPolygon(QPolygonF(QPolygon(item.points)));
    if (item.points.size() == 1)
      shape.addRect(QRectF(item.points.first(), QSizeF(0.5, 0.5)));
    break;
  }
  QPainterPathStroker stroker;
  stroker.setWidth(item.penWidth() + 2 * extra);
  stroker.setCapStyle(Qt::RoundCap);
  QPainterPath area = stroker.createStroke(shape);
  if (item.fill)
    area.addPath(shape);
  return area;
}

} // namespace board

#include "whiteboard/toolicons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace toolicons {
namespace {

constexpr int kSide = 24;

QColor ink(const QPainter &p) { return p.pen().color(); }

void pen(QPainter &p) {
  p.drawPolygon(QPolygonF({{5, 19}, {6, 15}, {16, 5}, {19, 8}, {9, 18}}));
  p.drawLine(QPointF(14, 7), QPointF(17, 10));
}

void line(QPainter &p) { p.drawLine(QPointF(5, 19), QPointF(19, 5)); }

void shape(QPainter &p) {
  p.drawRect(QRectF(4, 7, 10, 10));
  p.drawEllipse(QRectF(10, 4, 10, 10));
}

void eraser(QPainter &p) {
  p.drawPolygon(QPolygonF({{4, 15}, {12, 7}, {19, 14}, {14, 19}, {8, 19}}));
  p.drawLine(QPointF(8, 11), QPointF(15, 18));
  p.drawLine(QPointF(14, 19), QPointF(20, 19));
}

void select(QPainter &p) {
  p.drawPolygon(QPolygonF({{7, 4}, {7, 18}, {10.5, 14.5}, {13, 20}, {15, 19}, {12.5, 13.5}, {17, 13.5}}));
}

void clear(QPainter &p) {
  p.drawLine(QPointF(5, 7), QPointF(19, 7));
  p.drawPolyline(QPolygonF({{10, 7}, {10, 5}, {14, 5}, {14, 7}}));
  p.drawRect(QRectF(7, 7, 10, 12));
  p.drawLine(QPointF(10.5, 10), QPointF(10.5, 16));
  p.drawLine(QPointF(13.5, 10), QPointF(13.5, 16));
}

void clearDrawings(QPainter &p) {
  QPainterPath wave;
  wave.moveTo(4, 9);
  wave.cubicTo(8, 4, 10, 14, 14, 9);
  p.drawPath(wave);
  p.drawLine(QPointF(11, 19), QPointF(19, 11));
  p.drawLine(QPointF(13, 19), QPointF(19, 19));
}

void upload(QPainter &p) {
  p.drawLine(QPointF(12, 4), QPointF(12, 15));
  p.drawPolyline(QPolygonF({{7, 9}, {12, 4}, {17, 9}}));
  p.drawPolyline(QPolygonF({{5, 15}, {5, 19}, {19, 19}, {19, 15}}));
}

void background(QPainter &p) {
  p.drawRect(QRectF(5, 5, 14, 14));
  p.setBrush(ink(p));
  p.drawRect(QRectF(5, 13, 14, 6));
}

void allBackgrounds(QPainter &p) {
  p.drawRect(QRectF(8, 4, 12, 12));
  p.setBrush(QColor(0x66, 0x66, 0x66));
  p.drawRect(QRectF(4, 8, 12, 12));
  p.setBrush(ink(p));
  p.drawRect(QRectF(4, 15, 12, 5));
}

// A curved arrow: from the right round to the left for undo, mirrored for redo.
void turn(QPainter &p, bool back) {
  p.save();
  if (!back) {
    p.translate(kSide, 0);
    p.scale(-1, 1);
  }
  QPainterPath arc;
  arc.moveTo(18, 18);
  arc.cubicTo(18, 10, 14, 8, 7, 9);
  p.drawPath(arc);
  p.drawPolyline(QPolygonF({{11, 5}, {7, 9}, {11, 13}}));
  p.restore();
}

void copy(QPainter &p) {
  p.drawRoundedRect(QRectF(8, 8, 11, 11), 2, 2);
  p.drawPolyline(QPolygonF({{5, 15}, {5, 5}, {15, 5}}));
}

void remove(QPainter &p) {
  p.drawLine(QPointF(6, 6), QPointF(18, 18));
  p.drawLine(QPointF(18, 6), QPointF(6, 18));
}

void draw(QPainter &p, Tool tool) {
  switch (tool) {
  case Tool::Pen: return pen(p);
  case Tool::Line: return line(p);
  case Tool::Shape: return shape(p);
  case Tool::Eraser: return eraser(p);
  case Tool::Select: return select(p);
  case Tool::Clear: return clear(p);
  case Tool::ClearDrawings: return clearDrawings(p);
  case Tool::Upload: return upload(p);
  case Tool::Background: return background(p);
  case Tool::AllBackgrounds: return allBackgrounds(p);
  case Tool::Undo: return turn(p, true);
  case Tool::Redo: return turn(p, false);
  case Tool::Copy: return copy(p);
  case Tool::Remove: return remove(p);
  }
}

QPixmap paint(Tool tool, const QColor &color, qreal scale) {
  QPixmap pixmap(qRound(kSide * scale), qRound(kSide * scale));
  pixmap.setDevicePixelRatio(scale);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  draw(p, tool);
  return pixmap;
}

} // namespace

QIcon icon(Tool tool, const QColor &ink) {
  QIcon icon;
  for (qreal scale : {1.0, 2.0})
    icon.addPixmap(paint(tool, ink, scale));
  return icon;
}

} // namespace toolicons

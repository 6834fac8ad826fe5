#pragma once
// Paints one board on the canvas (kCanvasWidth x kCanvasHeight); the caller sets the transform.

#include "sdk/board/boarditem.h"

#include <QColor>
#include <QRectF>

class QImage;
class QPainter;
class QPainterPath;

namespace board {

QColor colorOf(uint32_t rgba);
void paintItem(QPainter &p, const Item &item);
// background may be null (no image, or one that has not arrived or failed).
void paintBoard(QPainter &p, const Board &b, const QImage *background);
// Where the canvas goes in a window of the given size: scaled to fit, centred.
QRectF canvasRect(const QSizeF &window);

} // namespace board

namespace board {
// The area an item covers, widened by extra canvas pixels (for the eraser and selection).
QPainterPath itemArea(const Item &item, double extra);
} // namespace board

#include "sdk/board/boarditem.h"

#include <QPolygon>

namespace board {

QRect Item::bounds() const { return QPolygon(points).boundingRect(); }

double Item::penWidth() const {
  return qMax(1.0, double(width) * kCanvasHeight / kWidthUnits);
}

Item *Board::find(const std::string &itemId) {
  for (Item &item : items)
    if (item.id == itemId)
      return &item;
  return nullptr;
}

} // namespace board

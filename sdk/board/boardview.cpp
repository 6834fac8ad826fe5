#include "sdk/board/boardview.h"

#include "sdk/board/boardcore.h"
#include "sdk/board/boardpainter.h"

#include <QMouseEvent>
#include <QPainter>

namespace board {

BoardView::BoardView(BoardCore *core, QWidget *parent) : QWidget(parent), core_(core) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(160, 90);
}

void BoardView::setInputEnabled(bool enabled) {
  if (!enabled) {
    dragging_ = false;
    gesture_.clear();
  }
  setCursor(enabled ? Qt::CrossCursor : Qt::ArrowCursor);
}

void BoardView::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  const Snapshot s = core_->snapshot();
  const QRectF canvas = canvasRect(size());
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(canvas.topLeft());
  p.scale(canvas.width() / kCanvasWidth, canvas.height() / kCanvasHeight);
  p.setClipRect(QRect(0, 0, kCanvasWidth, kCanvasHeight));
  Board empty;
  const Board &b = s.valid ? s.board : empty;
  const QImage image = core_->background(b.imageUrl);
  paintBoard(p, b, image.isNull() ? nullptr : &image);
  for (const Item &item : b.items)
    if (item.visible && std::find(s.selected.begin(), s.selected.end(), item.id) != s.selected.end()) {
      p.setPen(QPen(Qt::blue, 2, Qt::DashLine));
      p.setBrush(Qt::NoBrush);
      p.drawRect(item.bounds().adjusted(-8, -8, 8, 8));
    }
  if (dragging_ && !gesture_.isEmpty())
    paintItem(p, gestureItem());
}

QPoint BoardView::toCanvas(const QPoint &widgetPoint) const {
  const QRectF canvas = canvasRect(size());
  return QPointF((widgetPoint.x() - canvas.left()) * kCanvasWidth / canvas.width(),
                 (widgetPoint.y() - canvas.top()) * kCanvasHeight / canvas.height())
      .toPoint();
}

Item BoardView::gestureItem() const {
  const PenState pen = core_->pen();
  Item item;
  item.color = pen.tool == ToolEraser ? 0x80808080u : pen.color;
  item.width = pen.width;
  item.fill = pen.fill && (pen.tool == ToolEllipse || pen.tool == ToolRectangle);
  item.shape = pen.tool == ToolLine || pen.tool == ToolEllipse || pen.tool == ToolRectangle ? pen.tool : ToolPen;
  item.points = item.shape == ToolPen ? gesture_ : QVector<QPoint>{gesture_.first(), gesture_.last()};
  if (pen.tool == ToolSelect) {
    item.shape = ToolRectangle;
    item.width = 10;
    item.fill = false;
    item.color = 0x0075FFFFu;
  }
  return item;
}

void BoardView::mousePressEvent(QMouseEvent *event) {
  if (core_->pen().tool == ToolNone || event->button() != Qt::LeftButton)
    return;
  dragging_ = true;
  gesture_ = {toCanvas(event->pos())};
  update();
}

void BoardView::mouseMoveEvent(QMouseEvent *event) {
  if (!dragging_)
    return;
  gesture_.append(toCanvas(event->pos()));
  update();
}

void BoardView::mouseReleaseEvent(QMouseEvent *event) {
  if (!dragging_ || event->button() != Qt::LeftButton)
    return;
  gesture_.append(toCanvas(event->pos()));
  finishGesture();
  dragging_ = false;
  gesture_.clear();
  update();
}

void BoardView::finishGesture() {
  const PenState pen = core_->pen();
  switch (pen.tool) {
  case ToolEraser: core_->eraseAlong(gesture_, pen.width); break;
  case ToolSelect: core_->select(QRect(gesture_.first(), gesture_.last())); break;
  case ToolNone: break;
  default: core_->drawItem(gestureItem()); break;
  }
}

} // namespace board

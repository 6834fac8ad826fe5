#pragma once
// The render window: paints the current board scaled to fit, with its background image, and
// turns pointer drags into drawing when a tool is set.

#include "sdk/board/boarditem.h"

#include <QWidget>

namespace board {

class BoardCore;

class BoardView : public QWidget {
  Q_OBJECT
public:
  BoardView(BoardCore *core, QWidget *parent);

  void setInputEnabled(bool enabled);

protected:
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  QPoint toCanvas(const QPoint &widgetPoint) const;
  Item gestureItem() const; // what the drag so far would draw
  void finishGesture();

  BoardCore *core_;
  QVector<QPoint> gesture_; // canvas points of the drag in progress
  bool dragging_ = false;
};

} // namespace board

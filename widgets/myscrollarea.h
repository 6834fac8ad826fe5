#pragma once
// A scroll area that hands wheel turns to its owner (wheel(delta)) instead of scrolling.

#include <QScrollArea>

class MyScrollArea : public QScrollArea {
  Q_OBJECT
public:
  explicit MyScrollArea(QWidget *parent = nullptr);

signals:
  void wheel(int delta);

protected:
  void wheelEvent(QWheelEvent *event) override;
};

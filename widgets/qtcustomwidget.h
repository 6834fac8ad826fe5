#pragma once
// Base of the video tiles: tells its owner about resizes and the pointer entering or leaving.

#include <QWidget>

class QtCustomWidget : public QWidget {
  Q_OBJECT
public:
  explicit QtCustomWidget(QWidget *parent = nullptr);

signals:
  void resized(QSize size);
  void enter();
  void leave();

protected:
  void resizeEvent(QResizeEvent *event) override;
  void enterEvent(QEvent *event) override;
  void leaveEvent(QEvent *event) override;
};

#pragma once
// A label that reports its mouse and hover events as signals, after its own handling.

#include <QLabel>

#include <QMouseEvent>

class ExLabel : public QLabel {
  Q_OBJECT
public:
  explicit ExLabel(QWidget *parent = nullptr);

signals:
  void mousePress(QMouseEvent *event);
  void mouseMove(QMouseEvent *event);
  void mouseDoubleClick(QMouseEvent *event);
  void enter(QEvent *event);
  void leave(QEvent *event);

protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void enterEvent(QEvent *event) override;
  void leaveEvent(QEvent *event) override;
};

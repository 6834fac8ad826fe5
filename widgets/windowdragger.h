#pragma once
// Moves a frameless top-level window with the mouse while the left button is held. The window
// system does it when it can (QWindow::startSystemMove); otherwise, e.g. with no window
// manager, the window follows the pointer until the button is released.

#include <QObject>
#include <QPoint>
#include <QPointer>

class QMouseEvent;
class QWidget;

class WindowDragger : public QObject {
  Q_OBJECT
public:
  // Starts moving the top-level window of `widget` from the current pointer position.
  static void start(QWidget *widget);
  // The same from a press: its global position and buttons, not the pointer's state now.
  static void start(QWidget *widget, const QMouseEvent *press);

  // Whether a fallback drag is in progress (only one at a time).
  static bool active();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  static void start(QWidget *widget, const QPoint &globalPos, Qt::MouseButtons buttons);
  WindowDragger(QWidget *window, const QPoint &globalPos);
  ~WindowDragger() override;
  void finish();

  QPointer<QWidget> window_;
  QPoint grabOffset_;
};

#include "widgets/windowdragger.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace {
WindowDragger *g_active = nullptr;
}

void WindowDragger::start(QWidget *widget) {
  start(widget, QCursor::pos(), QGuiApplication::mouseButtons());
}

void WindowDragger::start(QWidget *widget, const QMouseEvent *press) {
  start(widget, press->globalPos(), press->buttons() | press->button());
}

void WindowDragger::start(QWidget *widget, const QPoint &globalPos, Qt::MouseButtons buttons) {
  if (!widget) return;
  QWidget *window = widget->window();
  if (QWidget *grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  QWindow *handle = window->windowHandle();
  if (handle && handle->startSystemMove()) return;
  if (g_active) return;
  if (!(buttons & Qt::LeftButton)) return;
  g_active = new WindowDragger(window, globalPos);
}

bool WindowDragger::active() { return g_active != nullptr; }

WindowDragger::WindowDragger(QWidget *window, const QPoint &globalPos)
    : window_(window), grabOffset_(globalPos - window->pos()) {
  qApp->installEventFilter(this);
  window->grabMouse();
}

WindowDragger::~WindowDragger() {
  if (g_active == this) g_active = nullptr;
}

void WindowDragger::finish() {
  qApp->removeEventFilter(this);
  if (window_) window_->releaseMouse();
  deleteLater();
  if (g_active == this) g_active = nullptr;
}

bool WindowDragger::eventFilter(QObject *watched, QEvent *event) {
  if (!window_) {
    finish();
    return false;
  }
  switch (event->type()) {
  case QEvent::MouseMove: {
    auto *me = static_cast<QMouseEvent *>(event);
    if (!(me->buttons() & Qt::LeftButton)) {
      finish();
      return false;
    }
    window_->move(me->globalPos() - grabOffset_);
    return true;
  }
  case QEvent::MouseButtonRelease:
    finish();
    return true;
  default:
    return QObject::eventFilter(watched, event);
  }
}

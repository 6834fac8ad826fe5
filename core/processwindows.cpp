#include "core/processwindows.h"

#include <QPointer>

namespace {

QPointer<QWidget> &loginSlot() {
  static QPointer<QWidget> p;
  return p;
}

QPointer<QWidget> &shellSlot() {
  static QPointer<QWidget> p;
  return p;
}

QPointer<QWidget> &classroomSlot() {
  static QPointer<QWidget> p;
  return p;
}

} // namespace

QWidget *loginWindow() { return loginSlot().data(); }
void setLoginWindow(QWidget *window) { loginSlot() = window; }

QWidget *shellWindow() { return shellSlot().data(); }
void setShellWindow(QWidget *window) { shellSlot() = window; }

QWidget *classroomWindow() { return classroomSlot().data(); }
void setClassroomWindow(QWidget *window) { classroomSlot() = window; }

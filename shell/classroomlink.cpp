#include "shell/classroomlink.h"

#include "core/processwindows.h"

#include <QDebug>
#include <QMetaObject>

namespace {

ClassroomLink::Factory &factory() {
  static ClassroomLink::Factory f;
  return f;
}

template <typename... Args>
bool call(QWidget *target, const char *name, Args... args) {
  if (!target) return false;
  const bool ok = QMetaObject::invokeMethod(target, name, Qt::DirectConnection, args...);
  if (!ok) qWarning("classroom has no invokable %s", name);
  return ok;
}

} // namespace

void ClassroomLink::setFactory(Factory f) { factory() = std::move(f); }

bool ClassroomLink::hasFactory() { return bool(factory()); }

QWidget *ClassroomLink::create(const QString &lineType, QWidget *centralFrame) {
  if (!factory()) {
    qWarning("no classroom window is available in this build");
    return nullptr;
  }
  return factory()(lineType, centralFrame);
}

ClassroomLink ClassroomLink::current() { return ClassroomLink(classroomWindow()); }

void ClassroomLink::setCurrent(QWidget *classroom) { setClassroomWindow(classroom); }

ClassroomLink::ClassroomLink(QWidget *classroom) : classroom_(classroom) {}

void ClassroomLink::setToken(const QString &token) const {
  call(classroom_, "setToken", Q_ARG(QString, token));
}

void ClassroomLink::setRoomId(int roomId) const { call(classroom_, "setRoomId", Q_ARG(int, roomId)); }

void ClassroomLink::setMasterId(const QString &masterId) const {
  call(classroom_, "setMasterId", Q_ARG(QString, masterId));
}

void ClassroomLink::onBtnLogin() const { call(classroom_, "onBtnLogin"); }

bool ClassroomLink::isReadyToLeave() const {
  bool ready = false;
  call(classroom_, "isReadyToLeave", Q_RETURN_ARG(bool, ready));
  return ready;
}

int ClassroomLink::status() const {
  int value = 0;
  call(classroom_, "status", Q_RETURN_ARG(int, value));
  return value;
}

bool ClassroomLink::isLeaving() const {
  bool leaving = false;
  call(classroom_, "isLeaving", Q_RETURN_ARG(bool, leaving));
  return leaving;
}

void ClassroomLink::imageView(const QString &url) const {
  call(classroom_, "imageView", Q_ARG(QString, url));
}

QString ClassroomLink::getUserName() const {
  QString name;
  call(classroom_, "getUserName", Q_RETURN_ARG(QString, name));
  return name;
}

void ClassroomLink::setDevice(const char *slot, int index, int value) const {
  call(classroom_, slot, Q_ARG(int, index), Q_ARG(int, value));
}

void ClassroomLink::setCamera(int index) const { call(classroom_, "setCamera", Q_ARG(int, index)); }

void ClassroomLink::setFlag(const char *slot, bool on) const {
  call(classroom_, slot, Q_ARG(bool, on));
}

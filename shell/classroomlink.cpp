#include "shell/classroomlink.h"

#include "core/processwindows.h"

#include <QDebug>

namespace {

ClassroomFactory &factory() {
  static ClassroomFactory f;
  return f;
}

// The current classroom; its window (core's classroom slot) says whether it still exists.
Classroom *&currentRoom() {
  static Classroom *room = nullptr;
  return room;
}

} // namespace

void ClassroomLink::setFactory(ClassroomFactory f) { factory() = std::move(f); }

bool ClassroomLink::hasFactory() { return bool(factory()); }

Classroom *ClassroomLink::create(const QString &lineType, QWidget *centralFrame,
                                 ClassroomShell *shell) {
  if (!factory()) {
    qWarning("no classroom window is available in this build");
    return nullptr;
  }
  return factory()(lineType, centralFrame, shell);
}

ClassroomLink ClassroomLink::current() {
  ClassroomLink link;
  if (QWidget *window = classroomWindow()) {
    link.room_ = currentRoom();
    link.widget_ = window;
  }
  return link;
}

void ClassroomLink::setCurrent(Classroom *classroom) {
  currentRoom() = classroom;
  setClassroomWindow(classroom ? classroom->widget() : nullptr);
}

ClassroomLink::ClassroomLink(Classroom *classroom)
    : room_(classroom), widget_(classroom ? classroom->widget() : nullptr) {}

void ClassroomLink::setToken(const QString &token) const {
  if (Classroom *r = room()) r->setToken(token);
}

void ClassroomLink::setRoomId(int roomId) const {
  if (Classroom *r = room()) r->setRoomId(roomId);
}

void ClassroomLink::setMasterId(const QString &masterId) const {
  if (Classroom *r = room()) r->setMasterId(masterId);
}

void ClassroomLink::onBtnLogin() const {
  if (Classroom *r = room()) r->onBtnLogin();
}

bool ClassroomLink::isReadyToLeave() const {
  const Classroom *r = room();
  return r && r->isReadyToLeave();
}

int ClassroomLink::status() const {
  const Classroom *r = room();
  return r ? r->status() : 0;
}

bool ClassroomLink::isLeaving() const {
  const Classroom *r = room();
  return r && r->isLeaving();
}

void ClassroomLink::imageView(const QString &url) const {
  if (Classroom *r = room()) r->imageView(url);
}

QString ClassroomLink::getUserName() const {
  const Classroom *r = room();
  return r ? r->getUserName() : QString();
}

void ClassroomLink::setUserName(const QString &name) const {
  if (Classroom *r = room()) r->setUserName(name);
}

QString ClassroomLink::getToken() const {
  const Classroom *r = room();
  return r ? r->getToken() : QString();
}

void ClassroomLink::setDevice(void (Classroom::*setter)(int, int), int index, int value) const {
  if (Classroom *r = room()) (r->*setter)(index, value);
}

void ClassroomLink::setCamera(int index) const {
  if (Classroom *r = room()) r->setCamera(index);
}

void ClassroomLink::setFlag(void (Classroom::*setter)(bool), bool on) const {
  if (Classroom *r = room()) (r->*setter)(on);
}

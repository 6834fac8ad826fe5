#pragma once
// The shell's one seam to the classroom window. The classroom library sits below the shell;
// the shell creates the classroom through a registered factory and drives it through the
// Classroom interface that classroom/classroomseam.h declares. A link to a missing classroom
// (none, or its window already deleted) does nothing and answers with defaults.

#include "classroom/classroomseam.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class ClassroomLink {
public:
  static void setFactory(ClassroomFactory factory);
  static bool hasFactory();
  // Creates a classroom through the factory; null (and a log line) when none is registered.
  static Classroom *create(const QString &lineType, QWidget *centralFrame, ClassroomShell *shell);

  // The process-wide current classroom (an empty link when none).
  static ClassroomLink current();
  static void setCurrent(Classroom *classroom);

  explicit ClassroomLink(Classroom *classroom = nullptr);

  Classroom *room() const { return widget_ ? room_ : nullptr; }
  QWidget *widget() const { return widget_; }
  explicit operator bool() const { return room() != nullptr; }

  void setToken(const QString &token) const;
  void setRoomId(int roomId) const;
  void setMasterId(const QString &masterId) const;
  void onBtnLogin() const;
  bool isReadyToLeave() const;
  int status() const;
  bool isLeaving() const;
  void imageView(const QString &url) const;
  QString getUserName() const;
  void setUserName(const QString &name) const;
  QString getToken() const;
  // The device setters of the settings store, passed on unchanged.
  void setDevice(void (Classroom::*setter)(int, int), int index, int value) const;
  void setCamera(int index) const;
  void setFlag(void (Classroom::*setter)(bool), bool on) const;

private:
  Classroom *room_ = nullptr;
  QPointer<QWidget> widget_;
};

#pragma once
// Who may write on the class's board: the room's teacher, and the members on stage (the hub
// lets a student on stage only with the teacher's grant). Board data from anyone else is
// dropped before it reaches the board. Written on the GUI thread, asked on the IM delivery
// thread.

#include <QMutex>
#include <QSet>
#include <QString>

class BoardWriters {
public:
  void setTeacher(const QString &teacherId);
  void setOnStage(const QString &userId, bool onStage);
  void clear();
  bool allows(const QString &userId) const;

private:
  mutable QMutex mutex_;
  QString teacher_;
  QSet<QString> onStage_;
};

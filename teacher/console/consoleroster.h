#pragma once
// What the console knows about each student of the room: name and state as the students'
// own commands announce it (name with 1, stage with 2051/2053, hand with 2054, camera with
// 2104/2106, microphone closed with 2055) and presence from the hub. Widget-free.

#include "teacher/classstate.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

struct StudentState {
  QString userId;
  QString name;
  bool inClass = false;
  bool handRaised = false;
  bool onStage = false;
  bool camera = false;
  bool microphone = false;
  bool chatMuted = false; // the teacher closed the discussion for this student

  QString shownName() const { return name.isEmpty() ? userId : name; }
};

class ConsoleRoster : public QObject {
  Q_OBJECT
public:
  using QObject::QObject;

  QList<StudentState> students() const { return m_students; }
  // Null when the student was never in the room.
  const StudentState *find(const QString &userId) const;
  QString nameOf(const QString &userId) const;

  void clear();
  void entered(const QString &userId);
  void left(const QString &userId);
  void commandReceived(const ReceivedCommand &command);
  void setChatMuted(const QString &userId, bool muted);
  void setHandRaised(const QString &userId, bool raised);
  // Names as the service lists them, for students already in the roster: those already in the
  // room before the teacher came never announce themselves, and a renamed student does not
  // announce again.
  void setNames(const QHash<QString, QString> &namesByUserId);

signals:
  void changed();
  // A student raised a hand (2054).
  void handRaised(const QString &userId);

private:
  StudentState &row(const QString &userId);

  QList<StudentState> m_students; // in order of first entry
};

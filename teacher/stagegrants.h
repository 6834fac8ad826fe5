#pragma once
// Which students a stage command of the teacher concerns at the hub: calling up (2049) and the
// camera request (2103) need the stage granted first; taking down (2050, 6) and closing the
// camera (2105) take it back. A command to the class concerns the students the teacher let on
// stage with such commands, never the scripted classmates, which keep their own grants.

#include <QSet>
#include <QString>
#include <QStringList>

class StageGrants {
public:
  enum class Action { None, Grant, Revoke };

  static Action actionFor(int code);
  // The students to grant or revoke for the command (to empty = the class); present are the
  // members in the room.
  QStringList targets(int code, const QString &to, const QString &param, const QStringList &present) const;

  void granted(const QString &userId) { m_granted.insert(userId); }
  void revoked(const QString &userId) { m_granted.remove(userId); }
  void classmate(const QString &userId) { m_classmates.insert(userId); }
  void reset() { m_granted.clear(); }

private:
  QSet<QString> m_granted;
  QSet<QString> m_classmates;
};

#pragma once
// What the scripted teacher knows about its class: who is in the room (in order of entry),
// their names and stage state as they announce them, the class commands received and not
// yet taken by a waiting step, the teacher's own chat-permission settings and its roster
// notice count.

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

struct ReceivedCommand {
  QString from;
  int code = 0;
  QString param;
  bool direct = false; // sent one-to-one to the teacher, not to the group
};

class ClassState {
public:
  static constexpr int kMaxPending = 1000; // older commands are forgotten beyond this

  void reset(); // a new room: everything but the roster notice count is forgotten

  void memberEntered(const QString &userId);
  void memberLeft(const QString &userId);
  bool isPresent(const QString &userId) const { return m_present.contains(userId); }
  QStringList present() const { return m_present; }

  // A member waited for by name is claimed, so a later wait for anyone picks somebody else.
  void claim(const QString &userId) { m_claimed.insert(userId); }
  // The first present member not claimed yet, now claimed; empty when there is none.
  QString claimNextMember();

  // Remembers what the command tells (names from 1, stage from 2051/2053) and keeps it for
  // takeCommand.
  void commandReceived(const ReceivedCommand &command);
  // The oldest kept command with this code, from this sender ("*" = anyone) and, when param
  // is given, this parameter; it is removed.
  std::optional<ReceivedCommand> takeCommand(int code, const QString &from, const QString *param);
  int pendingCount() const { return m_pending.size(); }

  QString nameOf(const QString &userId) const { return m_names.value(userId); }
  bool isOnStage(const QString &userId) const { return m_onStage.contains(userId); }

  // The teacher's own commands that change what a chat-permission snapshot says: 2110 to
  // the group, 2111 to one student, parameter "1" (closed) or "0" (open).
  void commandSent(const QString &to, int code, const QString &param);
  // The 2113 answer for a student: {"forbid_all": "0"/"1", "forbid_you": "0"/"1"}.
  QJsonObject snapshotFor(const QString &userId) const;

  // Entries of a roster notice (2109) for everyone seen in this room, texts as the service's
  // member lists have them: uid, name, role ("2" on stage, "0" listening), up ("1"/"0") and
  // exit ("1" once gone).
  QJsonArray rosterEntries() const;
  // The notify id for the next roster notice; a given id restarts the count there.
  int nextNotifyId(int given);

private:
  QStringList m_present;
  QStringList m_seen; // everyone who was in the room, in order of first entry
  QSet<QString> m_claimed;
  QList<ReceivedCommand> m_pending;
  QHash<QString, QString> m_names;
  QSet<QString> m_onStage;
  bool m_forbidAll = false;
  QSet<QString> m_forbidden;
  int m_notifyId = 0;
};

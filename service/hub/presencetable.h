#pragma once
// Who is signed in, who sits in which room and which students hold the teacher's stage grant,
// readable from any thread (the HTTP side asks whether the teacher is in the room, and the media
// server's guard whom it lets publish, while the hub runs on its own thread).

#include <QHash>
#include <QReadWriteLock>
#include <QSet>
#include <QString>
#include <QStringList>

class PresenceTable {
public:
  void setOnline(const QString &userId, bool online);
  void enterRoom(const QString &userId, quint32 roomId);
  // Leaving ends the stage grant in that room too.
  void leaveRoom(const QString &userId, quint32 roomId);
  void setStage(const QString &userId, quint32 roomId, bool granted);

  bool isOnline(const QString &userId) const;
  bool isInRoom(const QString &userId, quint32 roomId) const;
  bool isInAnyRoom(const QString &userId) const;
  QStringList members(quint32 roomId) const; // sorted
  bool onStage(const QString &userId, quint32 roomId) const;

private:
  static void removeFrom(QHash<quint32, QSet<QString>> &table, quint32 roomId, const QString &userId);

  mutable QReadWriteLock m_lock;
  QSet<QString> m_online;
  QHash<quint32, QSet<QString>> m_rooms;
  QHash<quint32, QSet<QString>> m_stage; // per room, the students the teacher let on stage
};

#pragma once
// Who is signed in and who sits in which room, readable from any thread (the HTTP side asks
// whether the teacher is in the room while the hub runs on its own thread).

#include <QHash>
#include <QReadWriteLock>
#include <QSet>
#include <QString>
#include <QStringList>

class PresenceTable {
public:
  void setOnline(const QString &userId, bool online);
  void enterRoom(const QString &userId, quint32 roomId);
  void leaveRoom(const QString &userId, quint32 roomId);

  bool isOnline(const QString &userId) const;
  bool isInRoom(const QString &userId, quint32 roomId) const;
  bool isInAnyRoom(const QString &userId) const;
  QStringList members(quint32 roomId) const; // sorted

private:
  mutable QReadWriteLock m_lock;
  QSet<QString> m_online;
  QHash<quint32, QSet<QString>> m_rooms;
};

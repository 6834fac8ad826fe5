#include "service/hub/presencetable.h"

void PresenceTable::setOnline(const QString &userId, bool online) {
  QWriteLocker lock(&m_lock);
  if (online)
    m_online.insert(userId);
  else
    m_online.remove(userId);
}

void PresenceTable::enterRoom(const QString &userId, quint32 roomId) {
  QWriteLocker lock(&m_lock);
  m_rooms[roomId].insert(userId);
}

void PresenceTable::leaveRoom(const QString &userId, quint32 roomId) {
  QWriteLocker lock(&m_lock);
  removeFrom(m_stage, roomId, userId);
  removeFrom(m_rooms, roomId, userId);
}

void PresenceTable::setStage(const QString &userId, quint32 roomId, bool granted) {
  QWriteLocker lock(&m_lock);
  if (granted)
    m_stage[roomId].insert(userId);
  else
    removeFrom(m_stage, roomId, userId);
}

void PresenceTable::removeFrom(QHash<quint32, QSet<QString>> &table, quint32 roomId, const QString &userId) {
  auto it = table.find(roomId);
  if (it == table.end())
    return;
  it->remove(userId);
  if (it->isEmpty())
    table.erase(it);
}

bool PresenceTable::isOnline(const QString &userId) const {
  QReadLocker lock(&m_lock);
  return m_online.contains(userId);
}

bool PresenceTable::isInRoom(const QString &userId, quint32 roomId) const {
  QReadLocker lock(&m_lock);
  auto it = m_rooms.constFind(roomId);
  return it != m_rooms.constEnd() && it->contains(userId);
}

bool PresenceTable::onStage(const QString &userId, quint32 roomId) const {
  QReadLocker lock(&m_lock);
  auto it = m_stage.constFind(roomId);
  return it != m_stage.constEnd() && it->contains(userId);
}

bool PresenceTable::isInAnyRoom(const QString &userId) const {
  QReadLocker lock(&m_lock);
  for (const QSet<QString> &members : m_rooms)
    if (members.contains(userId))
      return true;
  return false;
}

QStringList PresenceTable::members(quint32 roomId) const {
  QReadLocker lock(&m_lock);
  QStringList list = m_rooms.value(roomId).values();
  list.sort();
  return list;
}

#include "service/roomstore.h"

#include <QMutexLocker>

#include <algorithm>

RoomStore::RoomStore(const QList<ClassRoom> &classes, ServiceClock clock, qint64 offlineAfterMs)
    : m_classes(classes), m_clock(std::move(clock)), m_offlineAfterMs(offlineAfterMs) {
  for (const ClassRoom &c : m_classes) m_rooms.insert(c.roomId, Room());
}

std::optional<ClassRoom> RoomStore::room(quint32 roomId) const {
  for (const ClassRoom &c : m_classes)
    if (c.roomId == roomId) return c;
  return std::nullopt;
}

Member *RoomStore::findLocked(Room &room, const QString &userId) {
  for (Member &m : room.members)
    if (m.uid == userId) return &m;
  return nullptr;
}

bool RoomStore::onlineLocked(const Room &room, const Member &m) const {
  return room.inHub.value(m.uid) || m_clock() - m.lastSeenMs <= m_offlineAfterMs;
}

bool RoomStore::touchLocked(quint32 roomId, const Account &who, const Presence &p, bool seen) {
  const auto roomIt = m_rooms.find(roomId);
  if (roomIt == m_rooms.end()) return false;
  Room &room = *roomIt;
  const std::optional<ClassRoom> cls = this->room(roomId);
  const bool isTeacher = cls && cls->teacherId == who.userId;
  const QString role = isTeacher ? QStringLiteral("1") : (p.role == QLatin1String("2") ? p.role : QStringLiteral("0"));

  Member *m = findLocked(room, who.userId);
  const bool added = !m;
  if (added) {
    Member fresh;
    fresh.uid = who.userId;
    fresh.sort = isTeacher ? 0 : room.nextSort++;
    room.members.append(fresh);
    m = &room.members.last();
  }
  const bool changed = added || m->role != role || m->up != p.up || (seen && !onlineLocked(room, *m));
  m->name = who.name;
  m->role = role;
  if (!p.device.isEmpty()) {
    m->device = p.device;
    m->fullDevice = p.device;
  }
  m->up = p.up;
  if (seen) m->lastSeenMs = m_clock();
  if (changed) ++room.notifyId;
  return added;
}

bool RoomStore::enter(quint32 roomId, const Account &who, const Presence &p) {
  QMutexLocker lock(&m_mutex);
  return touchLocked(roomId, who, p, true);
}

bool RoomStore::heartbeat(quint32 roomId, const Account &who, const Presence &p) {
  QMutexLocker lock(&m_mutex);
  return touchLocked(roomId, who, p, true);
}

bool RoomStore::exit(quint32 roomId, const QString &userId) {
  QMutexLocker lock(&m_mutex);
  const auto roomIt = m_rooms.find(roomId);
  if (roomIt == m_rooms.end()) return false;
  Room &room = *roomIt;
  const auto before = room.members.size();
  room.members.erase(std::remove_if(room.members.begin(), room.members.end(),
                                    [&](const Member &m) { return m.uid == userId; }),
                     room.members.end());
  room.inHub.remove(userId);
  const bool removed = room.members.size() != before;
  if (removed) ++room.notifyId;
  return removed;
}

int RoomStore::dropSilent() {
  QMutexLocker lock(&m_mutex);
  int dropped = 0;
  for (Room &room : m_rooms) {
    const auto before = room.members.size();
    room.members.erase(std::remove_if(room.members.begin(), room.members.end(),
                                      [&](const Member &m) { return !onlineLocked(room, m); }),
                       room.members.end());
    const int gone = int(before - room.members.size());
    if (gone > 0) ++room.notifyId;
    dropped += gone;
  }
  return dropped;
}

void RoomStore::setHubPresence(quint32 roomId, const Account &who, bool present) {
  QMutexLocker lock(&m_mutex);
  const auto roomIt = m_rooms.find(roomId);
  if (roomIt == m_rooms.end()) return;
  if (present) {
    // Listed while in the hub's group; heartbeat times stay as they were, so leaving the
    // group ends a hub-only presence at once. The role stays as last reported.
    Member *m = findLocked(*roomIt, who.userId);
    const bool wasOnline = m && onlineLocked(*roomIt, *m);
    touchLocked(roomId, who, Presence{m ? m->device : QString(), m ? m->role : QString(), m && m->up}, false);
    roomIt->inHub.insert(who.userId, true);
    if (m && !wasOnline) ++roomIt->notifyId;
  } else if (roomIt->inHub.remove(who.userId)) {
    ++roomIt->notifyId;
  }
}

void RoomStore::rename(const QString &userId, const QString &name) {
  QMutexLocker lock(&m_mutex);
  for (Room &room : m_rooms) {
    Member *m = findLocked(room, userId);
    if (!m || m->name == name) continue;
    m->name = name;
    ++room.notifyId;
  }
}

QList<Member> RoomStore::roster(quint32 roomId) const {
  QMutexLocker lock(&m_mutex);
  const Room room = m_rooms.value(roomId);
  QList<Member> out = room.members;
  for (Member &m : out) m.online = onlineLocked(room, m);
  std::stable_sort(out.begin(), out.end(), [](const Member &a, const Member &b) { return a.sort < b.sort; });
  return out;
}

std::optional<Member> RoomStore::member(quint32 roomId, const QString &userId) const {
  QMutexLocker lock(&m_mutex);
  const Room room = m_rooms.value(roomId);
  for (Member m : room.members)
    if (m.uid == userId) {
      m.online = onlineLocked(room, m);
      return m;
    }
  return std::nullopt;
}

bool RoomStore::isOnline(quint32 roomId, const QString &userId) const {
  QMutexLocker lock(&m_mutex);
  const auto roomIt = m_rooms.constFind(roomId);
  if (roomIt == m_rooms.constEnd()) return false;
  for (const Member &m : roomIt->members)
    if (m.uid == userId) return onlineLocked(*roomIt, m);
  return false;
}

bool RoomStore::teacherInRoom(quint32 roomId) const {
  const std::optional<ClassRoom> cls = room(roomId);
  return cls && isOnline(roomId, cls->teacherId);
}

int RoomStore::onlineCount(quint32 roomId) const {
  QMutexLocker lock(&m_mutex);
  const auto roomIt = m_rooms.constFind(roomId);
  if (roomIt == m_rooms.constEnd()) return 0;
  return int(std::count_if(roomIt->members.begin(), roomIt->members.end(),
                           [&](const Member &m) { return onlineLocked(*roomIt, m); }));
}

quint64 RoomStore::notifyId(quint32 roomId) const {
  QMutexLocker lock(&m_mutex);
  return m_rooms.value(roomId).notifyId;
}

#pragma once
// The classes and who is in them. Members come from "enter" and heartbeats over HTTP and,
// when the class hub runs, from its group membership; a member is online while either
// says so. Every method locks; the HTTP workers and the hub's thread share it.

#include "service/serviceclock.h"
#include "service/servicerecords.h"

#include <QHash>
#include <QList>
#include <QMutex>

#include <optional>

class RoomStore {
public:
  // A classroom beats this often; a member who missed three beats (and is not in the hub's
  // group) counts as offline, and dropSilent() takes it off the list.
  static constexpr qint64 HeartbeatIntervalMs = 10 * 1000;
  static constexpr int MissedBeats = 3;
  static constexpr qint64 DefaultOfflineAfterMs = HeartbeatIntervalMs * MissedBeats;

  explicit RoomStore(const QList<ClassRoom> &classes, ServiceClock clock = systemClock(),
                     qint64 offlineAfterMs = DefaultOfflineAfterMs);

  QList<ClassRoom> classes() const { return m_classes; }
  std::optional<ClassRoom> room(quint32 roomId) const;

  struct Presence {
    QString device;
    QString role; // as the member reports it; a class's teacher is always "1"
    bool up = false;
  };
  // Adds or refreshes the member. Returns true when the member was not listed before.
  bool enter(quint32 roomId, const Account &who, const Presence &p);
  // Same as enter; a heartbeat from someone the service lost track of puts them back.
  bool heartbeat(quint32 roomId, const Account &who, const Presence &p);
  // Removes the member; false when the member was not listed.
  bool exit(quint32 roomId, const QString &userId);
  // Removes every offline member, as if it had sent "exit" (a class lost to a cut link never
  // does); the roster's notify id moves on. Returns how many went.
  int dropSilent();

  // A changed class name shows in every room the account is listed in at once, not only
  // after its next heartbeat.
  void rename(const QString &userId, const QString &name);

  // The hub seam: group membership as the hub sees it.
  void setHubPresence(quint32 roomId, const Account &who, bool present);

  // Members in sort order (teacher first, then in order of entry), online flag filled in.
  QList<Member> roster(quint32 roomId) const;
  std::optional<Member> member(quint32 roomId, const QString &userId) const;
  bool isOnline(quint32 roomId, const QString &userId) const;
  bool teacherInRoom(quint32 roomId) const;
  int onlineCount(quint32 roomId) const;
  // Goes up by one with every change of the roster (joins, exits, stage and camera changes).
  quint64 notifyId(quint32 roomId) const;

private:
  struct Room {
    QList<Member> members;
    QHash<QString, bool> inHub; // userId -> member of the hub's group
    int nextSort = 1;
    quint64 notifyId = 0;
  };
  Member *findLocked(Room &room, const QString &userId);
  bool onlineLocked(const Room &room, const Member &m) const;
  bool touchLocked(quint32 roomId, const Account &who, const Presence &p, bool seen);

  const QList<ClassRoom> m_classes;
  ServiceClock m_clock;
  const qint64 m_offlineAfterMs;
  mutable QMutex m_mutex;
  QHash<quint32, Room> m_rooms;
};

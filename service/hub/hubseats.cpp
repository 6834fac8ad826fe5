// Coming back after a cut: the seat a dropped member keeps for a while, and the messages of
// its room it missed meanwhile.
#include "service/hub/hub.h"

#include "service/hub/participant.h"
#include "protocol/protocol.h"

using namespace hubproto;

void Hub::holdSeat(const Participant &p) {
  HeldSeat seat;
  seat.roomId = p.roomId;
  seat.role = p.role;
  seat.grantRole = p.grantRole;
  seat.stageGranted = p.stageGranted;
  seat.sinceMs = nowMs();
  m_held.insert(p.userId, seat);
}

const Hub::HeldSeat *Hub::heldSeat(const QString &userId, quint32 roomId) const {
  auto it = m_held.constFind(userId);
  return it != m_held.constEnd() && it->roomId == roomId ? &*it : nullptr;
}

// A member that did not come back in time leaves its room as if it had quit.
void Hub::expireSeats(qint64 now) {
  for (auto it = m_held.begin(); it != m_held.end();) {
    if (now - it->sinceMs <= m_limits.seatHoldMs) {
      ++it;
      continue;
    }
    const QString userId = it.key();
    const HeldSeat seat = *it;
    it = m_held.erase(it);
    notifyMemberOf(seat.roomId, QStringLiteral("exit"), userId, seat.role, 0);
    m_presence.leaveRoom(userId, seat.roomId);
    pruneRoom(seat.roomId);
    emit roomLeft(userId, seat.roomId);
  }
}

void Hub::pruneRoom(quint32 roomId) {
  auto it = m_rooms.find(roomId);
  if (it == m_rooms.end() || !it->second.members.isEmpty())
    return;
  for (const HeldSeat &seat : qAsConst(m_held))
    if (seat.roomId == roomId)
      return;
  m_rooms.erase(it);
}

void Hub::recordMessage(const Participant &from, const QString &to, const QString &msgKey, quint64 seq,
                        const QByteArray &notice) {
  auto it = m_rooms.find(from.roomId);
  if (it == m_rooms.end() || !it->second.backlog)
    return;
  it->second.backlog->append(RoomBacklog::Entry{seq, from.userId, to, msgKey, notice});
}

quint64 Hub::seqOfKey(const Participant &from, const QString &msgKey) const {
  auto it = m_rooms.find(from.roomId);
  return it == m_rooms.end() || !it->second.backlog ? 0 : it->second.backlog->seqOfKey(from.userId, msgKey);
}

QList<QByteArray> Hub::missedSince(const Participant &p, quint64 after, QJsonObject *result) const {
  QList<QByteArray> missed;
  bool complete = false;
  auto it = m_rooms.find(p.roomId);
  if (it != m_rooms.end() && it->second.backlog)
    complete = it->second.backlog->replay(after, p.userId, [&missed](const QByteArray &b) { missed.append(b); });
  result->insert(QStringLiteral("resumed"), missed.size());
  result->insert(QStringLiteral("complete"), complete);
  return missed;
}

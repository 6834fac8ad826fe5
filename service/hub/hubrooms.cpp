// Rooms: joining, leaving, roles and the notices the other members get about them.
#include "service/hub/hub.h"

#include "service/hub/participant.h"
#include "protocol/protocol.h"

#include <QDateTime>
#include <QJsonArray>

#include <cmath>

using namespace hubproto;

namespace {
constexpr int kMaxAuthBuffer = 4096;
constexpr double kMaxSeq = 9007199254740992.0; // 2^53

// The optional sequence number to resume after: absent, or an integer 0 .. 2^53.
bool readResumeAfter(const QJsonObject &body, bool *present, quint64 *after) {
  const QJsonValue v = body.value(QLatin1String("resumeAfter"));
  *present = !v.isUndefined();
  if (!*present)
    return true;
  const double d = v.toDouble(-1);
  if (!v.isDouble() || !(d >= 0 && d <= kMaxSeq) || std::floor(d) != d)
    return false;
  *after = static_cast<quint64>(d);
  return true;
}
} // namespace

void Hub::onJoin(Participant &p, const Envelope &env) {
  quint32 roomId = 0;
  QString role;
  QString authBuffer;
  bool resuming = false;
  quint64 resumeAfter = 0;
  const QJsonValue auth = env.body.value(QLatin1String("authBuffer"));
  if (!readUInt32(env.body, "roomId", &roomId) || roomId == 0 ||
      !readString(env.body, "role", &role) || !isKnownRole(role) ||
      (!auth.isUndefined() && (!auth.isString() || auth.toString().size() > kMaxAuthBuffer)) ||
      !readResumeAfter(env.body, &resuming, &resumeAfter)) {
    reply(p, env.id, BadArgument, QStringLiteral("join needs roomId (1 to 4294967295) and a role"));
    return;
  }
  if (p.roomId == roomId) {
    reply(p, env.id, Already, QStringLiteral("already in this room"));
    return;
  }
  const HeldSeat *held = heldSeat(p.userId, roomId);
  const HeldSeat kept = held ? *held : HeldSeat();
  QString grantRole;
  if (!admit(p, env, roomId, auth.toString(), role, &grantRole, kept.stageGranted))
    return;
  leaveRoom(p);
  m_held.remove(p.userId);
  takeSeat(p, roomId, role, grantRole, kept);
  QJsonObject result = memberList(p);
  result.insert(QStringLiteral("groupId"), QString::number(roomId));
  result.insert(QStringLiteral("serverTime"), QDateTime::currentMSecsSinceEpoch());
  result.insert(QStringLiteral("lastSeq"), static_cast<qint64>(m_nextSeq - 1));
  const QList<QByteArray> missed = resuming ? missedSince(p, resumeAfter, &result) : QList<QByteArray>();
  reply(p, env.id, Ok, QString(), result);
  for (const QByteArray &bytes : missed)
    sendEncoded(p, bytes);
}

// A member coming back to the seat it held is not announced again: the others saw it stay.
void Hub::takeSeat(Participant &p, quint32 roomId, const QString &role, const QString &grantRole, const HeldSeat &held) {
  Room &room = m_rooms[roomId];
  room.groupId = QString::number(roomId);
  if (!room.backlog)
    room.backlog = std::make_unique<RoomBacklog>(m_nextSeq, m_limits.backlogMessages, m_limits.backlogBytes);
  room.members.append(p.id);
  p.roomId = roomId;
  p.role = role;
  p.grantRole = grantRole;
  p.stageGranted = held.stageGranted;
  m_presence.enterRoom(p.userId, roomId);
  m_presence.setStage(p.userId, roomId, p.stageGranted);
  if (held.roomId == roomId) {
    if (held.role != role)
      notifyMember(p, QStringLiteral("role"));
    return;
  }
  notifyMember(p, QStringLiteral("enter"));
  emit roomEntered(p.userId, roomId);
}

void Hub::onQuit(Participant &p, const Envelope &env) {
  if (!p.inRoom()) {
    reply(p, env.id, NotInRoom, QStringLiteral("not in a room"));
    return;
  }
  leaveRoom(p);
  reply(p, env.id);
}

void Hub::onRole(Participant &p, const Envelope &env) {
  QString role;
  if (!p.inRoom()) {
    reply(p, env.id, NotInRoom, QStringLiteral("not in a room"));
    return;
  }
  if (!readString(env.body, "role", &role) || !isKnownRole(role)) {
    reply(p, env.id, BadArgument, QStringLiteral("unknown role"));
    return;
  }
  if (role == p.role) {
    reply(p, env.id, RoleUnchanged, QStringLiteral("role unchanged"));
    return;
  }
  if (const int refused = roleRefusal(p, role)) {
    reply(p, env.id, refused, QStringLiteral("the room grant does not allow %1").arg(role));
    return;
  }
  p.role = role;
  if (!roleMayPublish(role))
    endPublications(p);
  notifyMember(p, QStringLiteral("role"));
  reply(p, env.id);
}

void Hub::leaveRoom(Participant &p, bool keepSeat) {
  if (!p.inRoom())
    return;
  const quint32 roomId = p.roomId;
  endPublications(p);
  auto it = m_rooms.find(roomId);
  if (it != m_rooms.end())
    it->second.members.removeAll(p.id);
  if (keepSeat) {
    holdSeat(p);
  } else {
    notifyMember(p, QStringLiteral("exit"));
    m_presence.leaveRoom(p.userId, roomId);
  }
  pruneRoom(roomId);
  p.subscriptions.clear();
  p.wholeChains.clear();
  p.roomId = 0;
  p.role.clear();
  p.grantRole.clear();
  p.stageGranted = false;
  if (!keepSeat)
    emit roomLeft(p.userId, roomId);
}

std::vector<Participant *> Hub::roomPeers(quint32 roomId, quint64 except) const {
  std::vector<Participant *> peers;
  auto it = m_rooms.find(roomId);
  if (it == m_rooms.end())
    return peers;
  for (quint64 id : it->second.members) {
    Participant *other = find(id);
    if (other && id != except)
      peers.push_back(other);
  }
  return peers;
}

void Hub::notifyRoom(quint32 roomId, const QJsonObject &notice, quint64 except) {
  notifyRoomEncoded(roomId, encode(notice), except);
}

void Hub::notifyRoomEncoded(quint32 roomId, const QByteArray &bytes, quint64 except) {
  for (Participant *other : roomPeers(roomId, except))
    sendEncoded(*other, bytes);
}

void Hub::notifyMember(const Participant &p, const QString &event) {
  notifyMemberOf(p.roomId, event, p.userId, p.role, p.id);
}

void Hub::notifyMemberOf(quint32 roomId, const QString &event, const QString &userId, const QString &role,
                         quint64 except) {
  QJsonObject notice = makeNotice(QStringLiteral("member"));
  notice.insert(QStringLiteral("roomId"), static_cast<qint64>(roomId));
  notice.insert(QStringLiteral("event"), event);
  notice.insert(QStringLiteral("userId"), userId);
  notice.insert(QStringLiteral("role"), role);
  notifyRoom(roomId, notice, except);
}

QJsonObject Hub::memberList(const Participant &self) const {
  QJsonArray members;
  for (const Participant *other : roomPeers(self.roomId, self.id)) {
    QJsonArray streams;
    for (int s = 0; s < kSourceCount; ++s) {
      if (other->publishes(static_cast<Source>(s)))
        streams.append(sourceName(static_cast<Source>(s)));
    }
    QJsonObject m;
    m.insert(QStringLiteral("userId"), other->userId);
    m.insert(QStringLiteral("role"), other->role);
    m.insert(QStringLiteral("streams"), streams);
    members.append(m);
  }
  QJsonObject result;
  result.insert(QStringLiteral("members"), members);
  return result;
}

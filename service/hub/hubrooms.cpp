// Rooms: joining, leaving, roles and the notices the other members get about them.
#include "service/hub/hub.h"

#include "service/hub/participant.h"
#include "protocol/protocol.h"

#include <QDateTime>
#include <QJsonArray>

using namespace hubproto;

namespace {
constexpr int kMaxAuthBuffer = 4096;
}

void Hub::onJoin(Participant &p, const Envelope &env) {
  quint32 roomId = 0;
  QString role;
  QString authBuffer;
  const QJsonValue auth = env.body.value(QLatin1String("authBuffer"));
  if (!readUInt32(env.body, "roomId", &roomId) || roomId == 0 ||
      !readString(env.body, "role", &role) || !isKnownRole(role) ||
      (!auth.isUndefined() && (!auth.isString() || auth.toString().size() > kMaxAuthBuffer))) {
    reply(p, env.id, BadArgument, QStringLiteral("join needs roomId (1 to 4294967295) and a role"));
    return;
  }
  if (p.roomId == roomId) {
    reply(p, env.id, Already, QStringLiteral("already in this room"));
    return;
  }
  QString grantRole;
  if (!admit(p, env, roomId, auth.toString(), role, &grantRole))
    return;
  leaveRoom(p);
  p.grantRole = grantRole;
  Room &room = m_rooms[roomId];
  room.groupId = QString::number(roomId);
  room.members.append(p.id);
  p.roomId = roomId;
  p.role = role;
  m_presence.enterRoom(p.userId, roomId);
  notifyMember(p, QStringLiteral("enter"));
  emit roomEntered(p.userId, roomId);
  QJsonObject result = memberList(p);
  result.insert(QStringLiteral("groupId"), room.groupId);
  result.insert(QStringLiteral("serverTime"), QDateTime::currentMSecsSinceEpoch());
  reply(p, env.id, Ok, QString(), result);
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

void Hub::leaveRoom(Participant &p) {
  if (!p.inRoom())
    return;
  const quint32 roomId = p.roomId;
  endPublications(p);
  auto it = m_rooms.find(roomId);
  if (it != m_rooms.end()) {
    it->second.members.removeAll(p.id);
    if (it->second.members.isEmpty())
      m_rooms.erase(it);
  }
  notifyMember(p, QStringLiteral("exit"));
  m_presence.leaveRoom(p.userId, roomId);
  p.subscriptions.clear();
  p.wholeChains.clear();
  p.roomId = 0;
  p.role.clear();
  p.grantRole.clear();
  p.stageGranted = false;
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
  const QByteArray bytes = encode(notice);
  for (Participant *other : roomPeers(roomId, except))
    sendEncoded(*other, bytes);
}

void Hub::notifyMember(const Participant &p, const QString &event) {
  QJsonObject notice = makeNotice(QStringLiteral("member"));
  notice.insert(QStringLiteral("roomId"), static_cast<qint64>(p.roomId));
  notice.insert(QStringLiteral("event"), event);
  notice.insert(QStringLiteral("userId"), p.userId);
  notice.insert(QStringLiteral("role"), p.role);
  notifyRoom(p.roomId, notice, p.id);
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

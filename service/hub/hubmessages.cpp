// IM messages: to the joined room's group, or to one member of the same room.
#include "service/hub/hub.h"

#include "protocol/immessage.h"
#include "protocol/messagerights.h"
#include "service/hub/participant.h"
#include "protocol/protocol.h"

#include <QDateTime>

using namespace hubproto;

namespace {

bool readPushExt(const QJsonObject &body, ImMessage *m) {
  const QJsonValue v = body.value(QLatin1String("offlinePushExt"));
  if (v.isUndefined())
    return true;
  if (!v.isString() || v.toString().size() > kMaxPushExt)
    return false;
  m->hasOfflinePush = true;
  m->offlinePushExt = v.toString();
  return true;
}
} // namespace

Participant *Hub::c2cTarget(const Participant &from, const QString &userId, int *code) const {
  Participant *target = find(m_byUser.value(userId));
  if (!target) {
    *code = PeerOffline;
    return nullptr;
  }
  // One-to-one traffic stays inside a room like everything else.
  if (!from.inRoom() || target->roomId != from.roomId || target->id == from.id) {
    *code = NotInRoom;
    return nullptr;
  }
  return target;
}

void Hub::onSend(Participant &p, const Envelope &env) {
  ImMessage m;
  QString error;
  if (!conversationFromJson(env.body.value(QLatin1String("conv")), &m.conv, &error) ||
      !elementsFromJson(env.body.value(QLatin1String("elems")), &m.elems, &error)) {
    reply(p, env.id, BadArgument, error);
    return;
  }
  if (!readPushExt(env.body, &m)) {
    reply(p, env.id, BadArgument, QStringLiteral("offlinePushExt must be a short string"));
    return;
  }
  const MessageScan seen = scanMessage(m);
  const SenderRights rights{p.isTeacher(), p.isTeacher() || p.stageGranted};
  if (const int refused = refusal(seen, rights, m_limits.maxChatTextBytes, &error)) {
    reply(p, env.id, refused, error);
    return;
  }
  Participant *target = nullptr;
  if (m.conv.type == Conversation::Group) {
    if (!p.inRoom() || m.conv.peer != QString::number(p.roomId)) {
      reply(p, env.id, NotInRoom, QStringLiteral("not a member of that group"));
      return;
    }
  } else {
    int code = Ok;
    target = c2cTarget(p, m.conv.peer, &code);
    if (!target) {
      reply(p, env.id, code,
            code == PeerOffline ? QStringLiteral("receiver not signed in")
                                : QStringLiteral("receiver not in your room"));
      return;
    }
  }
  m.from = p.userId;
  m.timeMs = QDateTime::currentMSecsSinceEpoch();
  m.time = static_cast<quint32>(m.timeMs / 1000);
  m.seq = m_nextSeq++;
  QJsonObject result;
  result.insert(QStringLiteral("time"), static_cast<qint64>(m.time));
  result.insert(QStringLiteral("timeMs"), m.timeMs);
  result.insert(QStringLiteral("seq"), static_cast<qint64>(m.seq));
  if (target) {
    m.conv.peer = p.userId; // as the receiver sees the conversation
    send(*target, messageToJson(m));
  } else {
    const QJsonObject notice = messageToJson(m);
    if (seen.boardWrite)
      m_whiteboard.append(p.roomId, encode(notice));
    notifyRoom(p.roomId, notice, p.id);
  }
  reply(p, env.id, Ok, QString(), result);
}

// IM messages: to the joined room's group, or to one member of the same room.
#include "service/hub/hub.h"

#include "protocol/immessage.h"
#include "protocol/messagerights.h"
#include "service/hub/participant.h"
#include "protocol/protocol.h"

#include <QDateTime>

using namespace hubproto;

namespace {
constexpr int kMaxMsgKey = 64;

// The sender's own key of a message, so that one sent again after a cut is taken once.
bool readMsgKey(const QJsonObject &body, QString *key) {
  const QJsonValue v = body.value(QLatin1String("msgKey"));
  if (v.isUndefined())
    return true;
  *key = v.toString();
  return v.isString() && !key->isEmpty() && key->size() <= kMaxMsgKey;
}

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
  QString msgKey;
  if (!readMsgKey(env.body, &msgKey)) {
    reply(p, env.id, BadArgument, QStringLiteral("msgKey must be a string of 1 to 64 characters"));
    return;
  }
  const MessageScan seen = scanMessage(m);
  const SenderRights rights{p.isTeacher(), p.isTeacher() || p.stageGranted};
  if (const int refused = refusal(seen, rights, m_limits.maxChatTextBytes, &error)) {
    reply(p, env.id, refused, error);
    return;
  }
  if (const quint64 earlier = p.inRoom() ? seqOfKey(p, msgKey) : 0) {
    replySent(p, env.id, earlier, QDateTime::currentMSecsSinceEpoch());
    return;
  }
  Participant *target = nullptr;
  QString receiver;
  if (m.conv.type == Conversation::Group) {
    if (!p.inRoom() || m.conv.peer != QString::number(p.roomId)) {
      reply(p, env.id, NotInRoom, QStringLiteral("not a member of that group"));
      return;
    }
  } else {
    int code = Ok;
    receiver = m.conv.peer;
    target = c2cTarget(p, receiver, &code);
    // A member holding its seat after a cut gets the message when it comes back.
    if (!target && !(p.inRoom() && receiver != p.userId && heldSeat(receiver, p.roomId))) {
      reply(p, env.id, code,
            code == PeerOffline ? QStringLiteral("receiver not signed in")
                                : QStringLiteral("receiver not in your room"));
      return;
    }
    m.conv.peer = p.userId; // as the receiver sees the conversation
  }
  m.from = p.userId;
  m.timeMs = QDateTime::currentMSecsSinceEpoch();
  m.time = static_cast<quint32>(m.timeMs / 1000);
  m.seq = m_nextSeq++;
  const QByteArray notice = encode(messageToJson(m));
  recordMessage(p, receiver, msgKey, m.seq, notice);
  if (target)
    sendEncoded(*target, notice);
  else if (receiver.isEmpty()) {
    if (seen.boardWrite)
      m_whiteboard.append(p.roomId, notice);
    notifyRoomEncoded(p.roomId, notice, p.id);
  }
  replySent(p, env.id, m.seq, m.timeMs);
}

void Hub::replySent(Participant &p, qint64 id, quint64 seq, qint64 timeMs) {
  QJsonObject result;
  result.insert(QStringLiteral("time"), timeMs / 1000);
  result.insert(QStringLiteral("timeMs"), timeMs);
  result.insert(QStringLiteral("seq"), static_cast<qint64>(seq));
  reply(p, id, Ok, QString(), result);
}

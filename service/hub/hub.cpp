#include "service/hub/hub.h"

#include "service/hub/hubpeer.h"
#include "service/hub/participant.h"
#include "protocol/protocol.h"

#include <QDateTime>
#include <QDebug>

using namespace hubproto;

namespace {
// Small enough that reading the id of a refused message costs next to nothing.
constexpr int kPeekIdBytes = 4096;

qint64 peekId(const QByteArray &text) {
  Envelope env;
  int code = 0;
  QString desc;
  parseEnvelope(text, &env, &code, &desc);
  return env.id;
}
} // namespace

Hub::Hub(const QByteArray &secret, QObject *parent)
    : QObject(parent), m_secret(secret), m_idleTimer(this) {
  m_handlers = {
      {QStringLiteral("login"), &Hub::onLogin},         {QStringLiteral("logout"), &Hub::onLogout},
      {QStringLiteral("ping"), &Hub::onPing},           {QStringLiteral("join"), &Hub::onJoin},
      {QStringLiteral("quit"), &Hub::onQuit},           {QStringLiteral("role"), &Hub::onRole},
      {QStringLiteral("send"), &Hub::onSend},           {QStringLiteral("publish"), &Hub::onPublish},
      {QStringLiteral("unpublish"), &Hub::onUnpublish}, {QStringLiteral("request"), &Hub::onRequest},
      {QStringLiteral("grant"), &Hub::onGrant},         {QStringLiteral("revoke"), &Hub::onRevoke},
      {QStringLiteral("keyframe"), &Hub::onKeyframe},
  };
  connect(&m_idleTimer, &QTimer::timeout, this, &Hub::checkIdle);
  setLimits(HubLimits());
}

Hub::~Hub() {
  // Peers are owned by their transports; only tell them the hub is gone.
  for (auto &entry : m_participants)
    entry.second->peer->disconnectPeer(0, QStringLiteral("hub shut down"));
}

void Hub::setLimits(const HubLimits &limits) {
  m_limits = limits;
  const int shortest = qMin(qMin(limits.idleTimeoutMs, limits.signInDeadlineMs), limits.seatHoldMs);
  m_idleTimer.start(qBound(10, shortest / 4, 1000));
}

qint64 Hub::nowMs() const { return QDateTime::currentMSecsSinceEpoch(); }

Participant *Hub::find(quint64 connection) const {
  auto it = m_participants.find(connection);
  return it == m_participants.end() || it->second->dropping ? nullptr : it->second.get();
}

quint64 Hub::attach(HubPeer *peer) {
  const quint64 id = m_nextConnection++;
  m_participants.emplace(id, std::make_unique<Participant>(id, peer, m_limits, nowMs()));
  return id;
}

void Hub::detach(quint64 connection) {
  if (Participant *p = find(connection)) {
    enter();
    drop(*p, 0, QStringLiteral("connection closed"), false);
    leave();
  }
}

void Hub::leave() {
  if (--m_depth == 0)
    finishDrops();
}

void Hub::receiveText(quint64 connection, const QByteArray &text) {
  Participant *p = find(connection);
  if (!p)
    return;
  enter();
  p->lastSeenMs = nowMs();
  if (!refuseText(*p, text)) {
    Envelope env;
    int code = 0;
    QString desc;
    if (parseEnvelope(text, &env, &code, &desc))
      dispatch(*p, env);
    else
      send(*p, makeError(code, desc, env.id));
  }
  leave();
}

// Oversized and rate-limited messages are answered without being parsed in full.
bool Hub::refuseText(Participant &p, const QByteArray &text) {
  if (text.size() > m_limits.maxTextBytes) {
    send(p, makeError(TooLarge, QStringLiteral("control message over %1 bytes")
                                    .arg(m_limits.maxTextBytes)));
    return true;
  }
  const bool tooMany = !p.messages.take(p.lastSeenMs);
  if (tooMany || !p.textBytes.take(p.lastSeenMs, text.size())) {
    const qint64 id = text.size() <= kPeekIdBytes ? peekId(text) : 0;
    send(p, makeError(RateLimited, tooMany ? QStringLiteral("too many messages") : QStringLiteral("too many bytes"), id));
    return true;
  }
  return false;
}

void Hub::dispatch(Participant &p, const Envelope &env) {
  const Handler handler = m_handlers.value(env.type, nullptr);
  if (!handler) {
    send(p, makeError(UnknownKind, QStringLiteral("unknown message kind: %1").arg(env.type.left(64)),
                      env.id));
    return;
  }
  if (env.id == 0) {
    send(p, makeError(BadArgument, QStringLiteral("request without id")));
    return;
  }
  const bool open = env.type == QLatin1String("login") || env.type == QLatin1String("ping");
  if (!open && p.userId.isEmpty()) {
    reply(p, env.id, NotSignedIn, QStringLiteral("not signed in"));
    return;
  }
  (this->*handler)(p, env);
}

void Hub::receiveBinary(quint64 connection, const QByteArray &frame) {
  Participant *p = find(connection);
  if (!p)
    return;
  enter();
  p->lastSeenMs = nowMs();
  handleFrame(*p, frame);
  leave();
}

void Hub::send(Participant &p, const QJsonObject &message) { sendEncoded(p, encode(message)); }

void Hub::sendEncoded(Participant &p, const QByteArray &bytes) {
  if (p.dropping)
    return;
  if (controlOverflows(p, bytes.size())) {
    drop(p, SlowReader, QStringLiteral("too slow reading"), true);
    return;
  }
  p.peer->sendText(bytes);
}

void Hub::reply(Participant &p, qint64 id, int code, const QString &desc, QJsonObject result) {
  const QJsonObject head = makeReply(id, code, desc);
  for (auto it = head.begin(); it != head.end(); ++it)
    result.insert(it.key(), it.value());
  send(p, result);
}

void Hub::drop(Participant &p, int code, const QString &reason, bool closePeer) {
  if (p.dropping)
    return;
  p.dropping = true;
  p.closePeer = closePeer;
  p.dropCode = code;
  p.dropReason = reason;
  m_pendingDrops.append(p.id);
}

// Removing a participant tells its room, which may in turn find more slow readers.
void Hub::finishDrops() {
  ++m_depth;
  while (!m_pendingDrops.isEmpty()) {
    const quint64 id = m_pendingDrops.takeFirst();
    auto it = m_participants.find(id);
    if (it == m_participants.end())
      continue;
    std::unique_ptr<Participant> p = std::move(it->second);
    m_participants.erase(it);
    qDebug().noquote() << "hub: dropping" << p->peer->describe() << p->userId << p->dropReason;
    // Gone without leaving: the seat waits for the same user to come back.
    signOut(*p, true);
    if (p->closePeer)
      p->peer->disconnectPeer(p->dropCode, p->dropReason);
  }
  --m_depth;
}

void Hub::checkIdle() {
  const qint64 now = nowMs();
  enter();
  for (auto &entry : m_participants) {
    Participant &p = *entry.second;
    if (p.dropping)
      continue;
    if (now - p.lastSeenMs > m_limits.idleTimeoutMs)
      drop(p, 0, QStringLiteral("silent for too long"), true);
    else if (p.userId.isEmpty() && now - p.unsignedSinceMs > m_limits.signInDeadlineMs)
      drop(p, NotSignedIn, QStringLiteral("no sign-in in time"), true);
  }
  expireSeats(now);
  leave();
}

bool Hub::isOnline(const QString &userId) const { return m_presence.isOnline(userId); }

bool Hub::isInRoom(const QString &userId, quint32 roomId) const {
  return m_presence.isInRoom(userId, roomId);
}

bool Hub::isInAnyRoom(const QString &userId) const { return m_presence.isInAnyRoom(userId); }

QStringList Hub::roomMembers(quint32 roomId) const { return m_presence.members(roomId); }

bool Hub::isOnStage(const QString &userId, quint32 roomId) const { return m_presence.onStage(userId, roomId); }

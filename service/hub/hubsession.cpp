// Sign-in, sign-out and keep-alive of a connection.
#include "service/hub/hub.h"

#include "service/hub/participant.h"
#include "protocol/protocol.h"
#include "protocol/usersig.h"

#include <QDateTime>

using namespace hubproto;

namespace {
constexpr int kMaxUserIdBytes = 128;
}

void Hub::onLogin(Participant &p, const Envelope &env) {
  QString userId;
  QString sig;
  if (!readString(env.body, "userId", &userId) || !readString(env.body, "userSig", &sig) ||
      userId.isEmpty() || userId.toUtf8().size() > kMaxUserIdBytes) {
    reply(p, env.id, BadArgument, QStringLiteral("login needs userId (1 to 128 bytes) and userSig"));
    return;
  }
  if (!p.userId.isEmpty()) {
    if (p.userId == userId)
      reply(p, env.id, Already, QStringLiteral("already signed in"));
    else
      reply(p, env.id, NotAllowed, QStringLiteral("signed in as another user; log out first"));
    return;
  }
  switch (usersig::verifyNow(m_secret, userId, sig)) {
  case usersig::Check::Ok:
    break;
  case usersig::Check::Expired:
    reply(p, env.id, SigExpired, QStringLiteral("user signature expired"));
    return;
  default:
    reply(p, env.id, SigInvalid, QStringLiteral("user signature invalid"));
    return;
  }
  if (Participant *earlier = find(m_byUser.value(userId))) {
    QJsonObject kicked = makeNotice(QStringLiteral("kicked"));
    kicked.insert(QStringLiteral("code"), Kicked);
    kicked.insert(QStringLiteral("desc"), QStringLiteral("signed in elsewhere"));
    send(*earlier, kicked);
    drop(*earlier, Kicked, QStringLiteral("signed in elsewhere"), true);
  }
  p.userId = userId;
  m_byUser.insert(userId, p.id);
  m_presence.setOnline(userId, true);
  emit signedIn(userId);
  QJsonObject result;
  result.insert(QStringLiteral("serverTime"), QDateTime::currentMSecsSinceEpoch());
  reply(p, env.id, Ok, QString(), result);
}

void Hub::onLogout(Participant &p, const Envelope &env) {
  signOut(p);
  reply(p, env.id);
}

void Hub::onPing(Participant &p, const Envelope &env) {
  QJsonObject result;
  result.insert(QStringLiteral("serverTime"), QDateTime::currentMSecsSinceEpoch());
  result.insert(QStringLiteral("sentFrames"), static_cast<qint64>(p.sentFrames));
  result.insert(QStringLiteral("droppedFrames"), static_cast<qint64>(p.droppedFrames));
  p.sentFrames = 0;
  p.droppedFrames = 0;
  reply(p, env.id, Ok, QString(), result);
}

void Hub::signOut(Participant &p, bool keepSeat) {
  if (p.userId.isEmpty())
    return;
  leaveRoom(p, keepSeat);
  // A newer connection of the same user keeps the user's presence.
  if (m_byUser.value(p.userId) == p.id) {
    m_byUser.remove(p.userId);
    m_presence.setOnline(p.userId, false);
    emit signedOut(p.userId);
  }
  p.userId.clear();
  p.unsignedSinceMs = nowMs();
}

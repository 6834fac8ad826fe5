#include "sdk/net/xmpp/xmppimtransport.h"

#include "protocol/messagerights.h"
#include "protocol/protocol.h"
#include "sdk/net/xmpp/xmpppayload.h"

#include <QUrl>
#include <QXmppClient.h>
#include <QXmppConfiguration.h>
#include <QXmppMessage.h>
#include <QXmppMucIq.h>
#include <QXmppPresence.h>
#include <QXmppUtils.h>

namespace sdk {

using hubproto::Conversation;

namespace {
// Each stream signs in under a resource of its own: the stream a comeback replaces may still
// linger on the server, and its going must not take the new one out of the room.
QString freshResource() { return QStringLiteral("tarnwick-") + QXmppUtils::generateStanzaHash(8); }

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }
} // namespace

bool XmppAddress::parse(const QString &url, XmppAddress *out) {
  const QUrl u(url);
  const QString domain = u.path().mid(1);
  if (u.scheme() != QLatin1String("xmpp") || u.host().isEmpty() || u.port() <= 0 || domain.isEmpty() ||
      domain.contains(QLatin1Char('/')))
    return false;
  *out = XmppAddress{u.host(), static_cast<quint16>(u.port()), domain};
  return true;
}

XmppImTransport::XmppImTransport(const XmppAddress &address, const QString &token, QObject *parent)
    : ImTransport(parent), m_address(address), m_token(token), m_joinTimer(this), m_resumeTimer(this) {
  m_joinTimer.setSingleShot(true);
  connect(&m_joinTimer, &QTimer::timeout, this,
          [this] { finishJoin(hubproto::ClientTimeout, QStringLiteral("the IM room did not answer")); });
  m_resumeTimer.setSingleShot(true);
  connect(&m_resumeTimer, &QTimer::timeout, this, [this] {
    dropStream();
    m_state = State::Lost;
    finishResume(hubproto::ClientTimeout, QStringLiteral("the IM server did not take us back in time"));
  });
}

XmppImTransport::~XmppImTransport() { signOut(); }

QString XmppImTransport::ownBareJid() const { return m_userId + QLatin1Char('@') + m_address.domain; }

QString XmppImTransport::roomJid() const { return xmppim::roomJid(m_roomId, m_address.domain); }

void XmppImTransport::signIn(const QString &userId, Done done) {
  if (m_state != State::Idle)
    return done(hubproto::ClientBusy, QStringLiteral("already signed in or signing in"));
  if (!xmppim::isPlainLocalPart(userId))
    return done(hubproto::BadArgument, QStringLiteral("user id cannot be an XMPP account"));
  if (m_token.isEmpty())
    return done(hubproto::SigInvalid, QStringLiteral("no IM sign-in token"));
  m_userId = userId;
  m_signInDone = std::move(done);
  m_state = State::SigningIn;
  m_signedInAt = QDateTime::currentDateTimeUtc();
  connectStream();
}

// A fresh client for a new stream, in place of the one before.
void XmppImTransport::connectStream() {
  dropStream();
  m_conflict = false;
  m_client = new QXmppClient(this);
  m_archive = new xmppim::ArchiveQuery;
  m_client->addExtension(m_archive);
  connect(m_client, &QXmppClient::connected, this, &XmppImTransport::onConnected);
  connect(m_client, &QXmppClient::error, this, &XmppImTransport::onError);
  connect(m_client, &QXmppClient::disconnected, this, &XmppImTransport::onDisconnected);
  connect(m_client, &QXmppClient::messageReceived, this, &XmppImTransport::onMessage);
  connect(m_client, &QXmppClient::presenceReceived, this, &XmppImTransport::onPresence);
  QXmppConfiguration config;
  config.setHost(m_address.host);
  config.setPort(m_address.port);
  config.setDomain(m_address.domain);
  config.setUser(m_userId);
  config.setPassword(m_token);
  config.setResource(freshResource());
  // Loopback c2s only; anywhere else the server requires TLS.
  config.setStreamSecurityMode(QXmppConfiguration::TLSDisabled);
  config.setSaslAuthMechanism(QStringLiteral("PLAIN"));
  config.setAutoReconnectionEnabled(false);
  config.setKeepAliveInterval(kKeepAliveSecs);
  config.setKeepAliveTimeout(kKeepAliveSecs);
  m_client->connectToServer(config);
}

void XmppImTransport::dropStream() {
  QXmppClient *client = m_client;
  m_client = nullptr;
  m_archive = nullptr;
  if (!client)
    return;
  client->disconnect(this);
  client->disconnectFromServer();
  client->deleteLater();
}

void XmppImTransport::onConnected() {
  if (m_state == State::SigningIn) {
    m_state = State::SignedIn;
    finishSignIn(hubproto::Ok, QString());
  } else if (m_state == State::Resuming) {
    rejoin();
  }
}

void XmppImTransport::finishSignIn(int code, const QString &desc) {
  Done done = std::move(m_signInDone);
  m_signInDone = nullptr;
  if (done)
    done(code, desc);
}

void XmppImTransport::finishJoin(int code, const QString &desc) {
  m_joinTimer.stop();
  Done done = std::move(m_joinDone);
  m_joinDone = nullptr;
  if (code != hubproto::Ok && !m_inRoom && m_state != State::Resuming && m_state != State::Lost)
    m_roomId = 0;
  if (done)
    done(code, desc);
}

void XmppImTransport::finishResume(int code, const QString &desc) {
  m_resumeTimer.stop();
  Done done = std::move(m_resumeDone);
  m_resumeDone = nullptr;
  if (done)
    done(code, desc);
}

void XmppImTransport::onError() {
  if (m_client && m_client->xmppStreamError() == QXmppStanza::Error::Conflict)
    m_conflict = true;
}

void XmppImTransport::onDisconnected() {
  const bool refused = m_client && m_client->xmppStreamError() == QXmppStanza::Error::NotAuthorized;
  const QString socketError = m_client ? m_client->socketErrorString() : QString();
  switch (m_state) {
  case State::SigningIn:
    fail(refused ? hubproto::SigInvalid : hubproto::ClientConnect,
         refused ? QStringLiteral("the IM server refused the token") : QStringLiteral("the IM server could not be reached"));
    return;
  case State::Resuming:
    if (m_conflict)
      break; // signed in elsewhere meanwhile: no comeback
    dropStream();
    m_state = State::Lost;
    m_inRoom = false;
    finishJoin(hubproto::ClientConnectionLost, QStringLiteral("IM connection lost"));
    finishResume(refused ? hubproto::SigInvalid : hubproto::ClientConnect,
                 refused ? QStringLiteral("the IM server refused the token")
                         : QStringLiteral("the IM server could not be reached: ") + socketError);
    return;
  case State::SignedIn:
    if (m_conflict)
      break;
    lose(hubproto::ClientConnectionLost, QStringLiteral("IM server connection lost: ") + socketError);
    return;
  default:
    return;
  }
  fail(hubproto::ClientConnectionLost, QStringLiteral("IM connection lost"));
  emit forcedOffline();
}

// The link is gone but the sign-in is kept for resume(): the room and what was seen stay.
void XmppImTransport::lose(int code, const QString &reason) {
  dropStream();
  m_state = State::Lost;
  m_inRoom = false;
  m_owner = false;
  m_occupants.clear();
  finishJoin(code, reason);
  emit connectionLost(code, reason);
}

// Ends the sign-in: answers what waits, forgets the room.
void XmppImTransport::fail(int code, const QString &desc) {
  m_state = State::Closed;
  m_inRoom = false;
  m_owner = false;
  m_occupants.clear();
  m_roomId = 0;
  finishJoin(code, desc);
  finishSignIn(code, desc);
  finishResume(code, desc);
}

void XmppImTransport::resume(int timeLimitMs, Done done) {
  if (m_state != State::Lost)
    return done(hubproto::ClientBusy, QStringLiteral("the IM link is not waiting for a comeback"));
  m_state = State::Resuming;
  m_resumeDone = std::move(done);
  m_resumeTimer.start(timeLimitMs);
  connectStream();
}

// Back in the room under the same nickname, then what the archives kept meanwhile.
void XmppImTransport::rejoin() {
  if (!m_roomId) {
    m_state = State::SignedIn;
    return finishResume(hubproto::Ok, QString());
  }
  m_inbox.hold();
  joinRoom(m_roomId, [this](int code, const QString &desc) {
    if (m_state != State::Resuming)
      return;
    if (code != hubproto::Ok) {
      dropStream();
      m_state = State::Lost;
      m_inbox.discard(); // the next catch-up brings it again
      return finishResume(code, desc);
    }
    catchUp();
  });
}

void XmppImTransport::joinRoom(quint32 roomId, Done done) {
  if (m_state != State::SignedIn && m_state != State::Resuming)
    return done(hubproto::ClientNotLoggedIn, QStringLiteral("not signed in"));
  if (m_joinDone)
    return done(hubproto::ClientBusy, QStringLiteral("a join is already in progress"));
  if (m_inRoom)
    leaveRoom();
  m_roomId = roomId;
  m_joinDone = std::move(done);
  QXmppPresence presence;
  presence.setTo(roomJid() + QLatin1Char('/') + m_userId);
  presence.setMucSupported(true);
  m_client->sendPacket(presence);
  m_joinTimer.start(kJoinTimeoutMs);
}

void XmppImTransport::leaveRoom() {
  if (!m_roomId)
    return;
  if (m_state == State::SignedIn) {
    QXmppPresence presence(QXmppPresence::Unavailable);
    presence.setTo(roomJid() + QLatin1Char('/') + m_userId);
    m_client->sendPacket(presence);
  }
  m_inRoom = false;
  m_owner = false;
  m_occupants.clear();
  finishJoin(hubproto::NotInRoom, QStringLiteral("left the room"));
  m_roomId = 0;
}

void XmppImTransport::send(const Conversation &conv, const QVector<hubproto::Element> &elems,
                           const QString *offlinePushExt, Done done) {
  if (m_state == State::Lost || m_state == State::Resuming)
    return done(hubproto::ClientConnectionLost, QStringLiteral("the IM link is being brought back"));
  if (m_state != State::SignedIn)
    return done(hubproto::ClientNotLoggedIn, QStringLiteral("not signed in"));
  hubproto::ImMessage out;
  out.elems = elems;
  out.hasOfflinePush = offlinePushExt != nullptr;
  out.offlinePushExt = offlinePushExt ? *offlinePushExt : QString();
  QString why;
  if (const int refused = hubproto::refusal(hubproto::scanMessage(out), hubproto::SenderRights{m_owner, true},
                                            hubproto::kMaxChatTextBytes, &why))
    return done(refused, why);
  QXmppMessage message;
  if (conv.type == Conversation::Group) {
    if (!m_inRoom || conv.peer != QString::number(m_roomId))
      return done(hubproto::NotInRoom, QStringLiteral("not a member of that group"));
    message.setType(QXmppMessage::GroupChat);
    message.setTo(roomJid());
  } else {
    if (!xmppim::isPlainLocalPart(conv.peer))
      return done(hubproto::BadArgument, QStringLiteral("no such user"));
    message.setType(QXmppMessage::Chat);
    message.setTo(conv.peer + QLatin1Char('@') + m_address.domain);
  }
  xmppim::writePayload(&message, elems, offlinePushExt);
  // The id finds the message in the archives after a cut, and goes again with it.
  const QString id = QXmppUtils::generateStanzaHash(24);
  message.setId(id);
  message.setOriginId(id);
  if (!m_client->sendPacket(message))
    return done(hubproto::ClientConnectionLost, QStringLiteral("IM connection lost"));
  m_outbox.settle(nowMs());
  m_outbox.add(message, nowMs());
  done(hubproto::Ok, QString());
}

void XmppImTransport::signOut() {
  if (m_state == State::Closed || m_state == State::Idle) {
    m_state = State::Closed;
    return;
  }
  // What still waits is answered now, as a closed hub connection answers its requests.
  dropStream();
  fail(hubproto::ClientConnectionLost, QStringLiteral("signed out"));
}

} // namespace sdk

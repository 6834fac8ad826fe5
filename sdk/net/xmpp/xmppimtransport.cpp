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
constexpr int kSelfPresence = 110; // MUC status: this presence is our own

// The hub's rules, with the room's owner as its teacher. Who holds the stage grant only the
// hub knows: the classroom drops board data from anyone else, as it does on the hub's path.
hubproto::SenderRights rightsOf(bool owner) { return hubproto::SenderRights{owner, true}; }

// What the hub would have refused from this sender never reaches the program either.
bool refusedFrom(const hubproto::ImMessage &m, bool owner) {
  QString why;
  return hubproto::refusal(hubproto::scanMessage(m), rightsOf(owner), hubproto::kMaxChatTextBytes, &why) != hubproto::Ok;
}
const char kResource[] = "tarnwick";
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
    : ImTransport(parent), m_address(address), m_token(token), m_client(new QXmppClient(this)), m_joinTimer(this) {
  m_joinTimer.setSingleShot(true);
  connect(&m_joinTimer, &QTimer::timeout, this,
          [this] { finishJoin(hubproto::ClientTimeout, QStringLiteral("the IM room did not answer")); });
  connect(m_client, &QXmppClient::connected, this, &XmppImTransport::onConnected);
  connect(m_client, &QXmppClient::error, this, &XmppImTransport::onError);
  connect(m_client, &QXmppClient::disconnected, this, &XmppImTransport::onDisconnected);
  connect(m_client, &QXmppClient::messageReceived, this, &XmppImTransport::onMessage);
  connect(m_client, &QXmppClient::presenceReceived, this, &XmppImTransport::onPresence);
}

XmppImTransport::~XmppImTransport() { signOut(); }

QString XmppImTransport::ownBareJid() const { return m_userId + QLatin1Char('@') + m_address.domain; }

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
  QXmppConfiguration config;
  config.setHost(m_address.host);
  config.setPort(m_address.port);
  config.setDomain(m_address.domain);
  config.setUser(userId);
  config.setPassword(m_token);
  config.setResource(QLatin1String(kResource));
  // Loopback c2s only; anywhere else the server requires TLS.
  config.setStreamSecurityMode(QXmppConfiguration::TLSDisabled);
  config.setSaslAuthMechanism(QStringLiteral("PLAIN"));
  config.setAutoReconnectionEnabled(false);
  config.setKeepAliveInterval(kKeepAliveSecs);
  config.setKeepAliveTimeout(kKeepAliveSecs);
  m_client->connectToServer(config);
}

void XmppImTransport::onConnected() {
  if (m_state == State::SigningIn) {
    m_state = State::SignedIn;
    finishSignIn(hubproto::Ok, QString());
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
  if (code != hubproto::Ok && !m_inRoom)
    m_roomId = 0;
  if (done)
    done(code, desc);
}

void XmppImTransport::onError() {
  if (m_client->xmppStreamError() == QXmppStanza::Error::Conflict)
    m_conflict = true;
}

void XmppImTransport::onDisconnected() {
  if (m_state == State::SigningIn) {
    const bool refused = m_client->xmppStreamError() == QXmppStanza::Error::NotAuthorized;
    fail(refused ? hubproto::SigInvalid : hubproto::ClientConnect,
         refused ? QStringLiteral("the IM server refused the token") : QStringLiteral("the IM server could not be reached"));
    return;
  }
  if (m_state != State::SignedIn)
    return;
  const bool conflict = m_conflict;
  const QString reason = m_client->socketErrorString();
  fail(hubproto::ClientConnectionLost, QStringLiteral("IM connection lost"));
  if (conflict)
    emit forcedOffline();
  else
    emit connectionLost(hubproto::ClientConnectionLost, QStringLiteral("IM server connection lost: ") + reason);
}

// Ends the sign-in: answers what waits, forgets the room.
void XmppImTransport::fail(int code, const QString &desc) {
  m_state = State::Closed;
  m_inRoom = false;
  m_owner = false;
  m_occupants.clear();
  finishJoin(code, desc);
  finishSignIn(code, desc);
}

void XmppImTransport::joinRoom(quint32 roomId, Done done) {
  if (m_state != State::SignedIn)
    return done(hubproto::ClientNotLoggedIn, QStringLiteral("not signed in"));
  if (m_joinDone)
    return done(hubproto::ClientBusy, QStringLiteral("a join is already in progress"));
  if (m_inRoom)
    leaveRoom();
  m_roomId = roomId;
  m_joinDone = std::move(done);
  QXmppPresence presence;
  presence.setTo(xmppim::roomJid(roomId, m_address.domain) + QLatin1Char('/') + m_userId);
  presence.setMucSupported(true);
  m_client->sendPacket(presence);
  m_joinTimer.start(kJoinTimeoutMs);
}

void XmppImTransport::leaveRoom() {
  if (!m_roomId)
    return;
  if (m_state == State::SignedIn) {
    QXmppPresence presence(QXmppPresence::Unavailable);
    presence.setTo(xmppim::roomJid(m_roomId, m_address.domain) + QLatin1Char('/') + m_userId);
    m_client->sendPacket(presence);
  }
  m_inRoom = false;
  m_owner = false;
  m_occupants.clear();
  finishJoin(hubproto::NotInRoom, QStringLiteral("left the room"));
  m_roomId = 0;
}

void XmppImTransport::onPresence(const QXmppPresence &presence) {
  if (m_roomId && QXmppUtils::jidToBareJid(presence.from()) == xmppim::roomJid(m_roomId, m_address.domain))
    onRoomPresence(presence);
}

void XmppImTransport::onRoomPresence(const QXmppPresence &presence) {
  const QString nick = QXmppUtils::jidToResource(presence.from());
  if (presence.type() == QXmppPresence::Error) {
    if (!m_inRoom)
      finishJoin(hubproto::NotAllowed, QStringLiteral("the IM room refused the join"));
    return;
  }
  if (presence.type() == QXmppPresence::Unavailable) {
    m_occupants.remove(nick);
    if (presence.mucStatusCodes().contains(kSelfPresence) && m_inRoom) {
      // Removed from the room by the server (kicked, room gone): the class is over for us.
      m_inRoom = false;
      emit connectionLost(hubproto::NotInRoom, QStringLiteral("removed from the IM room"));
    }
    return;
  }
  const QXmppMucItem item = presence.mucItem();
  const QString realJid = QXmppUtils::jidToBareJid(item.jid());
  // Without the real account the room is not the non-anonymous one we expect.
  if (!realJid.isEmpty() && QXmppUtils::jidToDomain(realJid) == m_address.domain)
    m_occupants.insert(nick, Occupant{QXmppUtils::jidToUser(realJid), item.affiliation() == QXmppMucItem::OwnerAffiliation});
  if (presence.mucStatusCodes().contains(kSelfPresence) && !m_inRoom) {
    m_inRoom = true;
    m_owner = item.affiliation() == QXmppMucItem::OwnerAffiliation;
    finishJoin(hubproto::Ok, QString());
  }
}

void XmppImTransport::send(const Conversation &conv, const QVector<hubproto::Element> &elems,
                           const QString *offlinePushExt, Done done) {
  if (m_state != State::SignedIn)
    return done(hubproto::ClientNotLoggedIn, QStringLiteral("not signed in"));
  hubproto::ImMessage out;
  out.elems = elems;
  out.hasOfflinePush = offlinePushExt != nullptr;
  out.offlinePushExt = offlinePushExt ? *offlinePushExt : QString();
  QString why;
  if (const int refused = hubproto::refusal(hubproto::scanMessage(out), rightsOf(m_owner), hubproto::kMaxChatTextBytes, &why))
    return done(refused, why);
  QXmppMessage message;
  if (conv.type == Conversation::Group) {
    if (!m_inRoom || conv.peer != QString::number(m_roomId))
      return done(hubproto::NotInRoom, QStringLiteral("not a member of that group"));
    message.setType(QXmppMessage::GroupChat);
    message.setTo(xmppim::roomJid(m_roomId, m_address.domain));
  } else {
    if (!xmppim::isPlainLocalPart(conv.peer))
      return done(hubproto::BadArgument, QStringLiteral("no such user"));
    message.setType(QXmppMessage::Chat);
    message.setTo(conv.peer + QLatin1Char('@') + m_address.domain);
  }
  xmppim::writePayload(&message, elems, offlinePushExt);
  if (!m_client->sendPacket(message))
    return done(hubproto::ClientConnectionLost, QStringLiteral("IM connection lost"));
  done(hubproto::Ok, QString());
}

void XmppImTransport::onMessage(const QXmppMessage &message) {
  if (m_state != State::SignedIn || message.type() == QXmppMessage::Error)
    return;
  hubproto::ImMessage m;
  if (!xmppim::readPayload(message, &m))
    return;
  const bool group = message.type() == QXmppMessage::GroupChat;
  const QString stampedBy = group ? QXmppUtils::jidToBareJid(message.from()) : ownBareJid();
  const QDateTime at = xmppim::serverTime(message, stampedBy, QDateTime::currentDateTimeUtc());
  m.timeMs = at.toMSecsSinceEpoch();
  m.time = static_cast<quint32>(m.timeMs / 1000);
  if (group) {
    onGroupMessage(message, m);
    return;
  }
  const QString from = QXmppUtils::jidToBareJid(message.from());
  if (message.type() != QXmppMessage::Chat || QXmppUtils::jidToDomain(from) != m_address.domain)
    return;
  m.from = QXmppUtils::jidToUser(from);
  // One-to-one traffic stays inside the room, as on the hub.
  const Occupant *sender = nullptr;
  for (const Occupant &o : qAsConst(m_occupants))
    sender = o.userId == m.from ? &o : sender;
  if (!sender || refusedFrom(m, sender->owner))
    return;
  m.conv = Conversation{Conversation::C2C, m.from};
  emit received(m);
}

void XmppImTransport::onGroupMessage(const QXmppMessage &message, hubproto::ImMessage m) {
  if (!m_inRoom || QXmppUtils::jidToBareJid(message.from()) != xmppim::roomJid(m_roomId, m_address.domain))
    return;
  const auto occupant = m_occupants.constFind(QXmppUtils::jidToResource(message.from()));
  if (occupant == m_occupants.cend() || occupant->userId == m_userId)
    return; // unknown sender, or our own message coming back
  if (refusedFrom(m, occupant->owner))
    return;
  m.from = occupant->userId;
  m.conv = Conversation{Conversation::Group, QString::number(m_roomId)};
  emit received(m);
}

void XmppImTransport::signOut() {
  if (m_state == State::Closed || m_state == State::Idle) {
    m_state = State::Closed;
    return;
  }
  m_client->disconnect(this);
  // What still waits is answered now, as a closed hub connection answers its requests.
  fail(hubproto::ClientConnectionLost, QStringLiteral("signed out"));
  m_client->disconnectFromServer();
}

} // namespace sdk

#include "service/boardarchiver.h"

#include "protocol/protocol.h"
#include "protocol/xmpppayload.h"

#include <QDateTime>
#include <QXmppClient.h>
#include <QXmppConfiguration.h>
#include <QXmppElement.h>
#include <QXmppMessage.h>
#include <QXmppMucIq.h>
#include <QXmppPresence.h>
#include <QXmppUtils.h>

namespace {
const char kNick[] = "tarnwick-service";

QString payloadOf(const QXmppMessage &message) {
  for (const QXmppElement &e : message.extensions()) {
    if (e.tagName() == QLatin1String(hubproto::kXmppPayloadTag) &&
        e.attribute(QStringLiteral("xmlns")) == QLatin1String(hubproto::kXmppPayloadNs))
      return e.value();
  }
  return QString();
}

} // namespace

BoardArchiver::BoardArchiver(const Server &server, QObject *parent)
    : QObject(parent), m_server(server), m_client(new QXmppClient(this)) {
  connect(m_client, &QXmppClient::connected, this, [this] {
    m_signedIn = true;
    for (auto it = m_teachers.cbegin(); it != m_teachers.cend(); ++it)
      join(it.key());
  });
  connect(m_client, &QXmppClient::disconnected, this, [this] {
    m_signedIn = false;
    m_occupants.clear();
  });
  connect(m_client, &QXmppClient::presenceReceived, this, &BoardArchiver::onPresence);
  connect(m_client, &QXmppClient::messageReceived, this, &BoardArchiver::onMessage);
}

BoardArchiver::~BoardArchiver() = default;

void BoardArchiver::start() {
  QXmppConfiguration config;
  config.setHost(m_server.host);
  config.setPort(m_server.port);
  config.setDomain(m_server.domain);
  config.setUser(m_server.user);
  config.setPassword(QString::fromUtf8(m_server.password));
  config.setResource(QLatin1String(kNick));
  // Loopback c2s only, as for the clients.
  config.setStreamSecurityMode(QXmppConfiguration::TLSDisabled);
  config.setSaslAuthMechanism(QStringLiteral("PLAIN"));
  config.setAutoReconnectionEnabled(true);
  m_client->connectToServer(config);
}

void BoardArchiver::watch(quint32 roomId, const QString &teacherId) {
  QMetaObject::invokeMethod(this, [this, roomId, teacherId] {
    const bool known = m_teachers.contains(roomId);
    m_teachers.insert(roomId, teacherId);
    if (!known && m_signedIn)
      join(roomId);
  }, Qt::QueuedConnection);
}

void BoardArchiver::join(quint32 roomId) {
  QXmppPresence presence;
  presence.setTo(QStringLiteral("%1@conference.%2/%3").arg(roomId).arg(m_server.domain, QLatin1String(kNick)));
  presence.setMucSupported(true);
  m_client->sendPacket(presence);
}

quint32 BoardArchiver::roomOf(const QString &jid) const {
  if (QXmppUtils::jidToDomain(jid) != QStringLiteral("conference.") + m_server.domain)
    return 0;
  bool ok = false;
  const quint32 roomId = QXmppUtils::jidToUser(jid).toUInt(&ok);
  return ok && m_teachers.contains(roomId) ? roomId : 0;
}

void BoardArchiver::onPresence(const QXmppPresence &presence) {
  if (!roomOf(presence.from()))
    return;
  if (presence.type() == QXmppPresence::Unavailable) {
    m_occupants.remove(presence.from());
    return;
  }
  const QString realJid = QXmppUtils::jidToBareJid(presence.mucItem().jid());
  if (QXmppUtils::jidToDomain(realJid) == m_server.domain)
    m_occupants.insert(presence.from(), QXmppUtils::jidToUser(realJid));
}

void BoardArchiver::onMessage(const QXmppMessage &message) {
  const quint32 roomId = roomOf(message.from());
  // Only the teacher's, and only live: what the room sends again on joining is history.
  if (!roomId || message.type() != QXmppMessage::GroupChat || message.stamp().isValid() ||
      m_occupants.value(message.from()) != m_teachers.value(roomId))
    return;
  hubproto::ImMessage m;
  if (!hubproto::xmppPayloadFromText(payloadOf(message), &m) || !m.hasOfflinePush ||
      m.offlinePushExt != QLatin1String(WhiteboardHistory::kExt))
    return;
  m.conv = hubproto::Conversation{hubproto::Conversation::Group, QString::number(roomId)};
  m.from = m_teachers.value(roomId);
  m.timeMs = hubproto::xmppServerTimeMs(message.stanzaId(), QDateTime::currentMSecsSinceEpoch());
  m.time = static_cast<quint32>(m.timeMs / 1000);
  m.seq = m_seq++;
  m_history.append(roomId, hubproto::encode(hubproto::messageToJson(m)));
}

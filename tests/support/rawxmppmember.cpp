#include "support/rawxmppmember.h"

#include "sdk/net/xmpp/xmppimtransport.h"
#include "sdk/net/xmpp/xmpppayload.h"

#include <QTest>
#include <QXmppClient.h>
#include <QXmppConfiguration.h>
#include <QXmppMessage.h>
#include <QXmppPresence.h>
#include <QXmppUtils.h>

namespace {
constexpr int kSelfPresence = 110;
} // namespace

RawXmppMember::RawXmppMember(const QString &address, const QString &userId, const QString &token, QObject *parent)
    : QObject(parent), m_userId(userId), m_token(token), m_client(new QXmppClient(this)) {
  sdk::XmppAddress a;
  if (sdk::XmppAddress::parse(address, &a)) {
    m_host = a.host;
    m_port = a.port;
    m_domain = a.domain;
  }
  connect(m_client, &QXmppClient::presenceReceived, this, [this](const QXmppPresence &p) {
    if (QXmppUtils::jidToBareJid(p.from()) == xmppim::roomJid(m_roomId, m_domain) &&
        p.type() == QXmppPresence::Available && p.mucStatusCodes().contains(kSelfPresence))
      m_inRoom = true;
  });
}

RawXmppMember::~RawXmppMember() { m_client->disconnectFromServer(); }

bool RawXmppMember::enter(quint32 roomId, int timeoutMs, const QString &nick) {
  QXmppConfiguration config;
  config.setHost(m_host);
  config.setPort(m_port);
  config.setDomain(m_domain);
  config.setUser(m_userId);
  config.setPassword(m_token);
  config.setResource(QStringLiteral("raw"));
  config.setStreamSecurityMode(QXmppConfiguration::TLSDisabled);
  config.setSaslAuthMechanism(QStringLiteral("PLAIN"));
  config.setAutoReconnectionEnabled(false);
  m_client->connectToServer(config);
  if (!QTest::qWaitFor([this] { return m_client->isConnected(); }, timeoutMs))
    return false;
  m_roomId = roomId;
  QXmppPresence presence;
  presence.setTo(xmppim::roomJid(roomId, m_domain) + QLatin1Char('/') + (nick.isEmpty() ? m_userId : nick));
  presence.setMucSupported(true);
  m_client->sendPacket(presence);
  return QTest::qWaitFor([this] { return m_inRoom; }, timeoutMs);
}

QString RawXmppMember::jidOf(const QString &to) const {
  return to.isEmpty() ? xmppim::roomJid(m_roomId, m_domain) : to + QLatin1Char('@') + m_domain;
}

bool RawXmppMember::send(const QString &to, const QVector<hubproto::Element> &elems, const QString &pushExt,
                         const Stamps &forged) {
  QXmppMessage message;
  message.setType(to.isEmpty() ? QXmppMessage::GroupChat : QXmppMessage::Chat);
  message.setTo(jidOf(to));
  xmppim::writePayload(&message, elems, pushExt.isEmpty() ? nullptr : &pushExt);
  message.setStamp(forged.delay);
  message.setStanzaId(forged.stanzaId);
  message.setStanzaIdBy(forged.stanzaIdBy);
  return m_client->sendPacket(message);
}

#include "sdk/net/hubimtransport.h"

namespace sdk {

HubImTransport::HubImTransport(HubClient *client, QObject *parent) : ImTransport(parent), m_client(client) {
  connect(client, &HubClient::imMessage, this, &ImTransport::received);
}

void HubImTransport::signIn(const QString &, Done done) { done(m_client ? 0 : hubproto::ClientConnectionLost, QString()); }

void HubImTransport::joinRoom(quint32, Done done) { done(m_client ? 0 : hubproto::ClientConnectionLost, QString()); }

void HubImTransport::send(const hubproto::Conversation &conv, const QVector<hubproto::Element> &elems,
                          const QString *offlinePushExt, Done done) {
  if (!m_client)
    return done(hubproto::ClientConnectionLost, QStringLiteral("not connected"));
  m_client->sendMessage(conv, elems, offlinePushExt, [done](const HubReply &r) { done(r.code, r.desc); });
}

void HubImTransport::signOut() {
  if (m_client)
    m_client->disconnect(this);
  m_client = nullptr;
}

} // namespace sdk

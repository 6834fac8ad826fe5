#include "service/hubhost.h"

#include "service/accountstore.h"
#include "service/roomstore.h"

#include <QHostAddress>

#include "service/hub/hub.h"
#include "service/hub/hubwebsocketserver.h"

struct HubHost::Parts {
  explicit Parts(const QByteArray &secret) : hub(secret), server(&hub) {}
  Hub hub;
  HubWebSocketServer server;
};

HubHost::HubHost(const QByteArray &secret, RoomStore &rooms, const AccountStore &accounts, QObject *parent)
    : QObject(parent), m_parts(new Parts(secret)) {
  // The hub's group membership counts as presence in the class, next to heartbeats.
  const auto follow = [&rooms, &accounts](bool present) {
    return [&rooms, &accounts, present](const QString &userId, quint32 roomId) {
      if (const std::optional<Account> who = accounts.byId(userId)) rooms.setHubPresence(roomId, *who, present);
    };
  };
  connect(&m_parts->hub, &Hub::roomEntered, this, follow(true));
  connect(&m_parts->hub, &Hub::roomLeft, this, follow(false));
}

HubHost::~HubHost() { delete m_parts; }

bool HubHost::listen(quint16 port, QString *error) {
  if (m_parts->server.listen(QHostAddress::LocalHost, port)) return true;
  if (error) *error = QStringLiteral("cannot listen for the hub on 127.0.0.1:%1").arg(port);
  return false;
}

void HubHost::setPageOrigins(const QStringList &origins) { m_parts->server.setAllowedOrigins(origins); }

quint16 HubHost::port() const { return m_parts->server.serverPort(); }

const Hub &HubHost::hub() const { return m_parts->hub; }

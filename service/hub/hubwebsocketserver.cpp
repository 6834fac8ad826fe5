#include "service/hub/hubwebsocketserver.h"

#include "service/hub/websocketpeer.h"

#include <QWebSocket>
#include <QWebSocketCorsAuthenticator>
#include <QWebSocketServer>

HubWebSocketServer::HubWebSocketServer(Hub *hub, QObject *parent)
    : QObject(parent), m_hub(hub),
      m_server(new QWebSocketServer(QStringLiteral("tarnwick-hub"), QWebSocketServer::NonSecureMode,
                                    this)) {
  connect(m_server, &QWebSocketServer::newConnection, this, &HubWebSocketServer::onNewConnection);
  connect(m_server, &QWebSocketServer::originAuthenticationRequired, this, &HubWebSocketServer::onOrigin);
  setLimits(HubServerLimits());
}

HubWebSocketServer::~HubWebSocketServer() { m_server->close(); }

bool HubWebSocketServer::listen(const QHostAddress &address, quint16 port) {
  return m_server->listen(address, port);
}

quint16 HubWebSocketServer::serverPort() const { return m_server->serverPort(); }

QString HubWebSocketServer::errorString() const { return m_server->errorString(); }

void HubWebSocketServer::close() { m_server->close(); }

void HubWebSocketServer::setLimits(const HubServerLimits &limits) {
  m_limits = limits;
  m_server->setHandshakeTimeout(limits.handshakeTimeoutMs);
}

bool HubWebSocketServer::originAllowed(const QString &origin) const {
  return origin.isEmpty() || m_origins.contains(origin, Qt::CaseInsensitive);
}

void HubWebSocketServer::onOrigin(QWebSocketCorsAuthenticator *authenticator) const {
  authenticator->setAllowed(originAllowed(authenticator->origin()));
}

void HubWebSocketServer::onNewConnection() {
  while (QWebSocket *socket = m_server->nextPendingConnection()) {
    if (admit(socket))
      continue;
    socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("too many connections"));
    socket->deleteLater();
  }
}

// Counts the connection in; a refused one is not counted.
bool HubWebSocketServer::admit(QWebSocket *socket) {
  const QString address = socket->peerAddress().toString();
  if (m_total >= m_limits.maxConnections || m_perAddress.value(address) >= m_limits.maxConnectionsPerAddress)
    return false;
  ++m_total;
  ++m_perAddress[address];
  auto *peer = new WebSocketPeer(m_hub, socket, this);
  connect(peer, &QObject::destroyed, this, [this, address] {
    --m_total;
    if (--m_perAddress[address] <= 0)
      m_perAddress.remove(address);
  });
  return true;
}

#include "service/hub/hubwebsocketserver.h"

#include "service/hub/websocketpeer.h"

#include <QWebSocket>
#include <QWebSocketServer>

HubWebSocketServer::HubWebSocketServer(Hub *hub, QObject *parent)
    : QObject(parent), m_hub(hub),
      m_server(new QWebSocketServer(QStringLiteral("tarnwick-hub"), QWebSocketServer::NonSecureMode,
                                    this)) {
  connect(m_server, &QWebSocketServer::newConnection, this, &HubWebSocketServer::onNewConnection);
}

HubWebSocketServer::~HubWebSocketServer() { m_server->close(); }

bool HubWebSocketServer::listen(const QHostAddress &address, quint16 port) {
  return m_server->listen(address, port);
}

quint16 HubWebSocketServer::serverPort() const { return m_server->serverPort(); }

QString HubWebSocketServer::errorString() const { return m_server->errorString(); }

void HubWebSocketServer::close() { m_server->close(); }

void HubWebSocketServer::onNewConnection() {
  while (QWebSocket *socket = m_server->nextPendingConnection())
    new WebSocketPeer(m_hub, socket, this);
}

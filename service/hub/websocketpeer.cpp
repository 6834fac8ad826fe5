#include "service/hub/websocketpeer.h"

#include "service/hub/hub.h"

#include <QWebSocket>

WebSocketPeer::WebSocketPeer(Hub *hub, QWebSocket *socket, QObject *parent)
    : QObject(parent), m_hub(hub), m_socket(socket) {
  m_socket->setParent(this);
  // The frame limit is checked against the frame's declared length, before its payload is read.
  m_socket->setMaxAllowedIncomingFrameSize(kSocketMessageLimit);
  m_socket->setMaxAllowedIncomingMessageSize(kSocketMessageLimit);
  m_origin = QStringLiteral("ws %1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
  connect(m_socket, &QWebSocket::textMessageReceived, this, &WebSocketPeer::onText);
  connect(m_socket, &QWebSocket::binaryMessageReceived, this, &WebSocketPeer::onBinary);
  connect(m_socket, &QWebSocket::disconnected, this, &WebSocketPeer::onDisconnected);
  m_connection = m_hub->attach(this);
}

WebSocketPeer::~WebSocketPeer() {
  if (m_connection && m_hub)
    m_hub->detach(m_connection);
}

void WebSocketPeer::sendText(const QByteArray &json) {
  m_socket->sendTextMessage(QString::fromUtf8(json));
}

void WebSocketPeer::sendBinary(const QByteArray &frame) { m_socket->sendBinaryMessage(frame); }

qint64 WebSocketPeer::queuedBytes() const { return m_socket->bytesToWrite(); }

void WebSocketPeer::disconnectPeer(int code, const QString &reason) {
  m_connection = 0;
  const auto closeCode = code == 0 ? QWebSocketProtocol::CloseCodeNormal
                                   : QWebSocketProtocol::CloseCodePolicyViolated;
  m_socket->close(closeCode, reason.left(120));
  deleteLater();
}

QString WebSocketPeer::describe() const { return m_origin; }

void WebSocketPeer::onText(const QString &text) {
  if (m_connection && m_hub)
    m_hub->receiveText(m_connection, text.toUtf8());
}

void WebSocketPeer::onBinary(const QByteArray &frame) {
  if (m_connection && m_hub)
    m_hub->receiveBinary(m_connection, frame);
}

void WebSocketPeer::onDisconnected() {
  const quint64 connection = m_connection;
  m_connection = 0;
  if (connection && m_hub)
    m_hub->detach(connection);
  deleteLater();
}

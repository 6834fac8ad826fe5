#include "sdk/net/websockettransport.h"

#include <QWebSocket>

namespace sdk {

WebSocketTransport::WebSocketTransport(const QUrl &url, QObject *parent)
    : HubTransport(parent), m_url(url), m_socket(new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this)) {
  m_socket->setMaxAllowedIncomingMessageSize(kMaxIncomingMessage);
  connect(m_socket, &QWebSocket::connected, this, &HubTransport::opened);
  connect(m_socket, &QWebSocket::textMessageReceived, this,
          [this](const QString &text) { emit textReceived(text.toUtf8()); });
  connect(m_socket, &QWebSocket::binaryMessageReceived, this, &HubTransport::binaryReceived);
  connect(m_socket, &QWebSocket::disconnected, this, &WebSocketTransport::onDisconnected);
  connect(m_socket, &QWebSocket::bytesWritten, this,
          [this](qint64 written) { m_queued = qMax<qint64>(0, m_queued - written); });
  // A refused or failed connection may end with an error alone.
  connect(m_socket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this,
          [this](QAbstractSocket::SocketError) {
            if (m_socket->state() == QAbstractSocket::UnconnectedState)
              onDisconnected();
          });
}

WebSocketTransport::~WebSocketTransport() {
  m_done = true;
  m_socket->abort();
}

void WebSocketTransport::open() {
  if (!m_url.isValid() || (m_url.scheme() != QLatin1String("ws") && m_url.scheme() != QLatin1String("wss"))) {
    m_done = true;
    QMetaObject::invokeMethod(this, [this] { emit closed(-1, QStringLiteral("bad hub address: ") + m_url.toString()); },
                              Qt::QueuedConnection);
    return;
  }
  m_socket->open(m_url);
}

void WebSocketTransport::sendText(const QByteArray &json) {
  m_queued += m_socket->sendTextMessage(QString::fromUtf8(json));
}

void WebSocketTransport::sendBinary(const QByteArray &frame) { m_queued += m_socket->sendBinaryMessage(frame); }

void WebSocketTransport::close() {
  m_done = true;
  m_socket->close();
}

void WebSocketTransport::onDisconnected() {
  if (m_done)
    return;
  m_done = true;
  QString reason = m_socket->closeReason();
  if (reason.isEmpty())
    reason = m_socket->errorString();
  emit closed(static_cast<int>(m_socket->closeCode()), reason);
}

} // namespace sdk

#pragma once
// The hub over a WebSocket (tarnwick-local's hub port).

#include "sdk/net/hubtransport.h"

#include <QUrl>

class QWebSocket;

namespace sdk {

class WebSocketTransport : public HubTransport {
  Q_OBJECT
public:
  explicit WebSocketTransport(const QUrl &url, QObject *parent = nullptr);
  ~WebSocketTransport() override;

  void open() override;
  void sendText(const QByteArray &json) override;
  void sendBinary(const QByteArray &frame) override;
  void close() override;
  qint64 bytesQueued() const override { return m_queued; }

  // Anything bigger from the hub is refused by the socket, which then closes.
  static constexpr quint64 kMaxIncomingMessage = 16u << 20;

private:
  void onDisconnected();

  QUrl m_url;
  QWebSocket *m_socket;
  bool m_done = false; // closed() emitted or close() called
  // Payload bytes sent minus bytes written; the socket also counts frame headers as written,
  // so this errs low by a few bytes a message.
  qint64 m_queued = 0;
};

} // namespace sdk

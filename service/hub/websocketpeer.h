#pragma once
// One WebSocket connection of the hub server, attached to the Hub as a HubPeer. Deletes
// itself once the socket has gone.

#include "service/hub/hubpeer.h"

#include <QObject>
#include <QPointer>

class Hub;
class QWebSocket;

class WebSocketPeer : public QObject, public HubPeer {
  Q_OBJECT
public:
  // Takes the socket over and attaches to hub.
  WebSocketPeer(Hub *hub, QWebSocket *socket, QObject *parent = nullptr);
  ~WebSocketPeer() override;

  void sendText(const QByteArray &json) override;
  void sendBinary(const QByteArray &frame) override;
  qint64 queuedBytes() const override;
  void disconnectPeer(int code, const QString &reason) override;
  QString describe() const override;

  // A frame or message bigger is refused by the socket itself, which then closes.
  static constexpr quint64 kSocketMessageLimit = 16u << 20;

private:
  void onText(const QString &text);
  void onBinary(const QByteArray &frame);
  void onDisconnected();

  QPointer<Hub> m_hub;
  QWebSocket *m_socket;
  quint64 m_connection = 0;
  QString m_origin;
};

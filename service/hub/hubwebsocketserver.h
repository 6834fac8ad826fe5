#pragma once
// Serves a Hub over WebSocket (text messages = control, binary messages = media frames).
// tarnwick-local listens on loopback only.

#include <QHostAddress>
#include <QObject>

class Hub;
class QWebSocketServer;

class HubWebSocketServer : public QObject {
  Q_OBJECT
public:
  HubWebSocketServer(Hub *hub, QObject *parent = nullptr);
  ~HubWebSocketServer() override;

  // Port 0 picks a free port; serverPort() tells which.
  bool listen(const QHostAddress &address, quint16 port);
  quint16 serverPort() const;
  QString errorString() const;
  void close();

private:
  void onNewConnection();

  Hub *m_hub;
  QWebSocketServer *m_server;
};

#pragma once
// Serves a Hub over WebSocket (text messages = control, binary messages = media frames).
// tarnwick-local listens on loopback only. What a connection may cost is bounded before
// anything of it is buffered: the handshake's time and Origin, the number of connections in
// all and per address, and each frame's declared size (docs/protocol.md, "Limits").

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QStringList>

class Hub;
class QWebSocket;
class QWebSocketCorsAuthenticator;
class QWebSocketServer;

struct HubServerLimits {
  int maxConnections = 1024;
  // Every client of a class on one machine shares 127.0.0.1, so this is well above a class.
  int maxConnectionsPerAddress = 128;
  int handshakeTimeoutMs = 5000;
};

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

  void setLimits(const HubServerLimits &limits);
  // The service's own page origins ("http://127.0.0.1:18080"): a handshake with any other
  // Origin is refused. A handshake without Origin comes from a native client (a browser always
  // sends one) and is let through to the sign-in.
  void setAllowedOrigins(const QStringList &origins) { m_origins = origins; }
  bool originAllowed(const QString &origin) const;
  int connectionCount() const { return m_total; }

private:
  void onNewConnection();
  void onOrigin(QWebSocketCorsAuthenticator *authenticator) const;
  bool admit(QWebSocket *socket);

  Hub *m_hub;
  QWebSocketServer *m_server;
  HubServerLimits m_limits;
  QStringList m_origins;
  QHash<QString, int> m_perAddress;
  int m_total = 0;
};

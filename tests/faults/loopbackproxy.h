#pragma once
// A TCP relay on loopback between the program and one of the service's ports, through which a
// test breaks the link: cut every connection, stop answering (nothing is passed on while
// frozen, new connections included), or pass the service's side to the program at a fixed
// rate (a slow reader: what the program has not taken backs up into the service's socket).
// Runs on the thread that made it; its event loop must turn.

#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

class QTcpSocket;

class LoopbackProxy : public QObject {
  Q_OBJECT
public:
  explicit LoopbackProxy(quint16 targetPort, QObject *parent = nullptr);
  ~LoopbackProxy() override;

  quint16 port() const { return m_server.serverPort(); }
  // Where new connections go (a restarted service may listen elsewhere).
  void setTargetPort(quint16 port) { m_targetPort = port; }

  void cutAll();
  void setFrozen(bool frozen);
  // Bytes per second from the service to the program; 0 means as fast as they come.
  void setDownstreamRate(qint64 bytesPerSecond);

  int connectionCount() const { return m_links.size(); }
  qint64 bytesDown() const { return m_bytesDown; }

private:
  struct Link {
    QTcpSocket *client;
    QTcpSocket *upstream;
  };
  void accept();
  void pump();
  void pumpLink(const Link &link, qint64 &downBudget);
  void finish(QTcpSocket *closed);
  void drop(QTcpSocket *either, bool hard);

  QTcpServer m_server;
  QList<Link> m_links;
  QTimer m_tick;
  quint16 m_targetPort;
  bool m_frozen = false;
  qint64 m_rate = 0;
  qint64 m_bytesDown = 0;
};

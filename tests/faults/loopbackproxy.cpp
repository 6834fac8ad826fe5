#include "loopbackproxy.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace {
// Small socket buffers, so that data not passed on stays in the kernel and the far side
// feels it.
constexpr qint64 kBufferBytes = 64 * 1024;
constexpr int kTickMs = 10;

qint64 relay(QTcpSocket *from, QTcpSocket *to, qint64 budget) {
  const QByteArray bytes = from->read(budget);
  if (!bytes.isEmpty()) to->write(bytes);
  return bytes.size();
}
} // namespace

LoopbackProxy::LoopbackProxy(quint16 targetPort, QObject *parent)
    : QObject(parent), m_targetPort(targetPort) {
  connect(&m_server, &QTcpServer::newConnection, this, &LoopbackProxy::accept);
  m_server.listen(QHostAddress::LocalHost, 0);
  connect(&m_tick, &QTimer::timeout, this, &LoopbackProxy::pump);
  m_tick.start(kTickMs);
}

LoopbackProxy::~LoopbackProxy() { cutAll(); }

void LoopbackProxy::accept() {
  while (QTcpSocket *client = m_server.nextPendingConnection()) {
    auto *upstream = new QTcpSocket(this);
    client->setParent(this);
    client->setReadBufferSize(kBufferBytes);
    upstream->setReadBufferSize(kBufferBytes);
    m_links.append(Link{client, upstream});
    for (QTcpSocket *s : {client, upstream}) {
      connect(s, &QTcpSocket::readyRead, this, &LoopbackProxy::pump);
      connect(s, &QTcpSocket::bytesWritten, this, &LoopbackProxy::pump);
      connect(s, &QTcpSocket::disconnected, this, [this, s] { finish(s); });
    }
    connect(upstream, &QTcpSocket::connected, this, &LoopbackProxy::pump);
    connect(upstream, &QTcpSocket::errorOccurred, this, [this, upstream](QAbstractSocket::SocketError e) {
      if (e != QAbstractSocket::RemoteHostClosedError) drop(upstream, true);
    });
    upstream->connectToHost(QHostAddress::LocalHost, m_targetPort);
  }
}

void LoopbackProxy::pump() {
  if (m_frozen) return;
  // The timer hands out the rate in slices; readyRead between ticks gets no extra budget.
  qint64 downBudget = m_rate > 0 ? m_rate * kTickMs / 1000 : kBufferBytes;
  if (m_rate > 0 && sender() != &m_tick) downBudget = 0;
  const QList<Link> links = m_links;
  for (const Link &link : links) pumpLink(link, downBudget);
}

void LoopbackProxy::pumpLink(const Link &link, qint64 &downBudget) {
  if (link.upstream->state() != QAbstractSocket::ConnectedState) return;
  relay(link.client, link.upstream, kBufferBytes);
  // Nothing more for the program while it has not taken what it was given.
  if (link.client->bytesToWrite() > kBufferBytes) return;
  const qint64 moved = relay(link.upstream, link.client, m_rate > 0 ? downBudget : kBufferBytes);
  m_bytesDown += moved;
  if (m_rate > 0) downBudget -= moved;
}

void LoopbackProxy::finish(QTcpSocket *closed) {
  // One side closed: what it sent still goes to the other (an HTTP reply before the close).
  for (const Link &link : qAsConst(m_links)) {
    if (link.client != closed && link.upstream != closed) continue;
    QTcpSocket *other = closed == link.client ? link.upstream : link.client;
    if (!m_frozen) relay(closed, other, closed->bytesAvailable());
    other->disconnectFromHost();
    break;
  }
  drop(closed, false);
}

void LoopbackProxy::drop(QTcpSocket *either, bool hard) {
  for (int i = 0; i < m_links.size(); ++i) {
    const Link link = m_links.at(i);
    if (link.client != either && link.upstream != either) continue;
    m_links.removeAt(i);
    for (QTcpSocket *s : {link.client, link.upstream}) {
      s->disconnect(this);
      if (hard) s->abort();
      // A gentle close lets the socket write out first, then it goes.
      connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
      if (s->state() == QAbstractSocket::UnconnectedState) s->deleteLater();
    }
    return;
  }
}

void LoopbackProxy::cutAll() {
  while (!m_links.isEmpty()) drop(m_links.first().client, true);
}

void LoopbackProxy::setFrozen(bool frozen) {
  m_frozen = frozen;
  if (!frozen) pump();
}

void LoopbackProxy::setDownstreamRate(qint64 bytesPerSecond) { m_rate = bytesPerSecond; }

#include "support/inprocesstransport.h"

#include "service/hub/hub.h"
#include "service/hub/hubpeer.h"

#include <QMutex>
#include <QPointer>

#include <atomic>

namespace sdk {

// Shared by both ends; whichever goes first tells the other through it.
struct InProcessLink : HubPeer {
  // Hub thread.
  void sendText(const QByteArray &json) override { toClient(json, false); }
  void sendBinary(const QByteArray &frame) override { toClient(frame, true); }
  qint64 queuedBytes() const override { return queued; }
  void disconnectPeer(int code, const QString &reason) override;
  QString describe() const override { return QStringLiteral("in-process"); }

  void toClient(const QByteArray &bytes, bool binary);

  QPointer<Hub> hub;
  quint64 connection = 0; // hub thread only
  std::atomic<qint64> queued{0};
  QMutex lock;
  InProcessTransport *client = nullptr; // guarded by lock
  std::weak_ptr<InProcessLink> self;
};

void InProcessLink::toClient(const QByteArray &bytes, bool binary) {
  QMutexLocker guard(&lock);
  if (!client)
    return;
  queued += bytes.size();
  auto link = self.lock();
  QMetaObject::invokeMethod(
      client,
      [link, bytes, binary] {
        link->queued -= bytes.size();
        InProcessTransport *c = nullptr;
        {
          QMutexLocker g(&link->lock);
          c = link->client;
        }
        if (!c)
          return;
        if (binary)
          emit c->binaryReceived(bytes);
        else
          emit c->textReceived(bytes);
      },
      Qt::QueuedConnection);
}

void InProcessLink::disconnectPeer(int code, const QString &reason) {
  connection = 0;
  QMutexLocker guard(&lock);
  if (!client)
    return;
  auto link = self.lock();
  QMetaObject::invokeMethod(
      client,
      [link, code, reason] {
        InProcessTransport *c = nullptr;
        {
          QMutexLocker g(&link->lock);
          c = link->client;
          link->client = nullptr;
        }
        if (c)
          emit c->closed(code, reason);
      },
      Qt::QueuedConnection);
}

namespace {
// Runs fn on the hub's thread, if the hub is still there.
template <typename Fn> void onHub(const std::shared_ptr<InProcessLink> &link, Fn fn) {
  Hub *hub = link->hub.data();
  if (!hub)
    return;
  QMetaObject::invokeMethod(
      hub,
      [link, fn] {
        if (link->hub)
          fn(*link->hub);
      },
      Qt::QueuedConnection);
}
} // namespace

InProcessTransport::InProcessTransport(Hub *hub, QObject *parent)
    : HubTransport(parent), m_link(std::make_shared<InProcessLink>()) {
  m_link->hub = hub;
  m_link->self = m_link;
  m_link->client = this;
}

InProcessTransport::~InProcessTransport() { close(); }

void InProcessTransport::open() {
  auto link = m_link;
  if (!link->hub) {
    QMetaObject::invokeMethod(this, [this] { emit closed(-1, QStringLiteral("no hub")); }, Qt::QueuedConnection);
    return;
  }
  onHub(link, [link](Hub &hub) {
    QMutexLocker guard(&link->lock);
    if (!link->client)
      return; // closed before the hub saw it
    link->connection = hub.attach(link.get());
    QMetaObject::invokeMethod(link->client, [link] {
      QMutexLocker g(&link->lock);
      if (InProcessTransport *c = link->client) {
        g.unlock();
        emit c->opened();
      }
    }, Qt::QueuedConnection);
  });
}

void InProcessTransport::sendText(const QByteArray &json) {
  auto link = m_link;
  onHub(link, [link, json](Hub &hub) {
    if (link->connection)
      hub.receiveText(link->connection, json);
  });
}

void InProcessTransport::sendBinary(const QByteArray &frame) {
  auto link = m_link;
  onHub(link, [link, frame](Hub &hub) {
    if (link->connection)
      hub.receiveBinary(link->connection, frame);
  });
}

void InProcessTransport::close() {
  if (m_done)
    return;
  m_done = true;
  {
    QMutexLocker guard(&m_link->lock);
    m_link->client = nullptr;
  }
  auto link = m_link;
  onHub(link, [link](Hub &hub) {
    const quint64 connection = link->connection;
    link->connection = 0;
    if (connection)
      hub.detach(connection);
  });
}

void useInProcessHub(Hub *hub) {
  QPointer<Hub> target(hub);
  setHubTransportFactory([target]() -> std::unique_ptr<HubTransport> {
    return std::make_unique<InProcessTransport>(target.data());
  });
}

} // namespace sdk

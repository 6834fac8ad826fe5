#include "sdk/net/hubtransport.h"

#include "sdk/net/websockettransport.h"

#include <QMutex>

namespace sdk {

namespace {
QMutex g_factoryLock;
HubTransportFactory &factory() {
  static HubTransportFactory f;
  return f;
}
} // namespace

void setHubTransportFactory(HubTransportFactory f) {
  QMutexLocker lock(&g_factoryLock);
  factory() = std::move(f);
}

std::unique_ptr<HubTransport> createHubTransport(const QString &url) {
  HubTransportFactory f;
  {
    QMutexLocker lock(&g_factoryLock);
    f = factory();
  }
  if (f)
    return f();
  return std::make_unique<WebSocketTransport>(QUrl(url));
}

} // namespace sdk

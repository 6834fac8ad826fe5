#include "cuttabletransport.h"

#include "support/inprocesstransport.h"

#include <memory>

CuttableTransport::CuttableTransport(Hub *hub, LinkSwitch *sw)
    : m_inner(new sdk::InProcessTransport(hub, this)), m_switch(sw) {
  connect(m_inner, &HubTransport::opened, this, &HubTransport::opened);
  connect(m_inner, &HubTransport::textReceived, this, &HubTransport::textReceived);
  connect(m_inner, &HubTransport::binaryReceived, this, &HubTransport::binaryReceived);
  connect(m_inner, &HubTransport::closed, this, &HubTransport::closed);
}

void CuttableTransport::open() {
  if (m_switch->down) {
    QMetaObject::invokeMethod(this, [this] { emit closed(-1, QStringLiteral("link down")); }, Qt::QueuedConnection);
    return;
  }
  ++m_switch->opened;
  m_inner->open();
}

void CuttableTransport::sendText(const QByteArray &json) {
  if (!m_cut)
    m_inner->sendText(json);
}

void CuttableTransport::sendBinary(const QByteArray &frame) {
  if (!m_cut)
    m_inner->sendBinary(frame);
}

void CuttableTransport::close() { m_inner->close(); }

// The far side sees the link go; this side is told it broke.
void CuttableTransport::cut() {
  if (m_cut)
    return;
  m_cut = true;
  m_inner->disconnect(this);
  m_inner->close();
  emit closed(1006, QStringLiteral("cut"));
}

void LinkSwitch::add(sdk::HubTransport *t) {
  QMutexLocker lock(&m_lock);
  m_live.append(t);
}

void LinkSwitch::cutAll() {
  down = true;
  QMutexLocker lock(&m_lock);
  for (const QPointer<sdk::HubTransport> &t : qAsConst(m_live))
    if (t)
      QMetaObject::invokeMethod(t.data(), [t] { if (t) static_cast<CuttableTransport *>(t.data())->cut(); },
                                Qt::QueuedConnection);
}

void LinkSwitch::install(Hub *hub) {
  sdk::setHubTransportFactory([hub, this] {
    auto t = std::make_unique<CuttableTransport>(hub, this);
    add(t.get());
    return t;
  });
}

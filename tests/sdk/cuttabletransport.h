#pragma once
// Links to an in-process hub that a test or benchmark breaks all at once, and keeps from
// opening again until it lets them: the live SDK's view of a network cut.

#include "sdk/net/hubtransport.h"

#include <QList>
#include <QMutex>
#include <QPointer>

#include <atomic>

class Hub;

namespace sdk {
class InProcessTransport;
}

class LinkSwitch {
public:
  std::atomic<bool> down{false};
  std::atomic<int> opened{0}; // links that got through to the hub
  // Breaks every link made so far; new ones fail until down is false again.
  void cutAll();
  void add(sdk::HubTransport *t);
  // Makes the process's live SDK reach hub through this switch.
  void install(Hub *hub);

private:
  QMutex m_lock;
  QList<QPointer<sdk::HubTransport>> m_live;
};

class CuttableTransport : public sdk::HubTransport {
public:
  CuttableTransport(Hub *hub, LinkSwitch *sw);
  void open() override;
  void sendText(const QByteArray &json) override;
  void sendBinary(const QByteArray &frame) override;
  void close() override;
  void cut();

private:
  sdk::InProcessTransport *m_inner;
  LinkSwitch *m_switch;
  bool m_cut = false;
};

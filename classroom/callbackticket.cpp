#include "classroom/callbackticket.h"

#include <QHash>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QReadWriteLock>
#include <memory>

namespace {

// One per owner. Visits hold its read lock, revoke its write lock: a revoke waits only for a
// visit to its own owner, and the table lock is never held while a visit runs.
struct Gate {
  explicit Gate(QObject *o) : owner(o) {}
  QReadWriteLock lock;
  QObject *owner; // null once revoked; guarded by lock
};

struct Table {
  QMutex mutex;
  quintptr next = 1;
  QMap<quintptr, std::shared_ptr<Gate>> gates; // ordered: the oldest ticket first
  QHash<QObject *, quintptr> tickets;
};

Table &table() {
  static Table t;
  return t;
}

quintptr number(void *ticket) { return reinterpret_cast<quintptr>(ticket); }

std::shared_ptr<Gate> gateOf(void *ticket) {
  Table &t = table();
  QMutexLocker lock(&t.mutex);
  return t.gates.value(number(ticket));
}

} // namespace

void *CallbackTicket::of(QObject *owner) {
  Table &t = table();
  QMutexLocker lock(&t.mutex);
  quintptr n = t.tickets.value(owner, 0);
  if (n == 0) {
    n = t.next++;
    t.tickets.insert(owner, n);
    t.gates.insert(n, std::make_shared<Gate>(owner));
  }
  return reinterpret_cast<void *>(n);
}

void CallbackTicket::revoke(QObject *owner) {
  std::shared_ptr<Gate> gate;
  {
    Table &t = table();
    QMutexLocker lock(&t.mutex);
    const quintptr n = t.tickets.take(owner);
    if (n == 0)
      return;
    gate = t.gates.take(n);
  }
  QWriteLocker closing(&gate->lock);
  gate->owner = nullptr;
}

QObject *CallbackTicket::owner(void *ticket) {
  Table &t = table();
  QMutexLocker lock(&t.mutex);
  const std::shared_ptr<Gate> gate = t.gates.value(number(ticket));
  return gate ? gate->owner : nullptr;
}

bool CallbackTicket::visit(void *ticket, const std::function<void(QObject *)> &fn) {
  const std::shared_ptr<Gate> gate = gateOf(ticket);
  if (!gate)
    return false;
  QReadLocker visiting(&gate->lock);
  if (!gate->owner)
    return false;
  fn(gate->owner);
  return true;
}

QList<QObject *> CallbackTicket::owners() {
  Table &t = table();
  QMutexLocker lock(&t.mutex);
  QList<QObject *> list;
  for (const std::shared_ptr<Gate> &gate : t.gates)
    list << gate->owner;
  return list;
}

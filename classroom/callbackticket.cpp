#include "classroom/callbackticket.h"

#include <QHash>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>

namespace {

struct Table {
  QMutex mutex;
  quintptr next = 1;
  QMap<quintptr, QObject *> owners; // ordered: the oldest ticket first
  QHash<QObject *, quintptr> tickets;
};

Table &table() {
  static Table t;
  return t;
}

quintptr number(void *ticket) { return reinterpret_cast<quintptr>(ticket); }

} // namespace

void *CallbackTicket::of(QObject *owner) {
  Table &t = table();
  QMutexLocker lock(&t.mutex);
  quintptr n = t.tickets.value(owner, 0);
  if (n == 0) {
    n = t.next++;
    t.tickets.insert(owner, n);
    t.owners.insert(n, owner);
  }
  return reinterpret_cast<void *>(n);
}

void CallbackTicket::revoke(QObject *owner) {
  Table &t = table();
  QMutexLocker lock(&t.mutex);
  const quintptr n = t.tickets.take(owner);
  if (n != 0)
    t.owners.remove(n);
}

QObject *CallbackTicket::owner(void *ticket) {
  Table &t = table();
  QMutexLocker lock(&t.mutex);
  return t.owners.value(number(ticket), nullptr);
}

bool CallbackTicket::visit(void *ticket, const std::function<void(QObject *)> &fn) {
  Table &t = table();
  QMutexLocker lock(&t.mutex);
  QObject *o = t.owners.value(number(ticket), nullptr);
  if (!o)
    return false;
  fn(o);
  return true;
}

QList<QObject *> CallbackTicket::owners() {
  Table &t = table();
  QMutexLocker lock(&t.mutex);
  return t.owners.values();
}

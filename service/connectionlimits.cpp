#include "service/connectionlimits.h"

#include <QMutexLocker>

bool ConnectionCounter::admit(const QString &address) {
  QMutexLocker lock(&m_mutex);
  int &open = m_open[address];
  if (open >= m_perAddress) return false;
  ++open;
  return true;
}

void ConnectionCounter::release(const QString &address) {
  QMutexLocker lock(&m_mutex);
  const auto it = m_open.find(address);
  if (it == m_open.end()) return;
  if (--*it <= 0) m_open.erase(it);
}

int ConnectionCounter::openFrom(const QString &address) const {
  QMutexLocker lock(&m_mutex);
  return m_open.value(address);
}

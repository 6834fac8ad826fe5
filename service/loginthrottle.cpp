#include "service/loginthrottle.h"

#include <QMutexLocker>

namespace {
// Keys whose last failure left the window are dropped once a table grows this large.
constexpr int kPruneAbove = 4096;
} // namespace

int LoginThrottle::waitFor(const Failures &failures, const QString &key, int limit, qint64 now) const {
  const auto it = failures.constFind(key);
  if (it == failures.constEnd() || it->size() < limit) return 0;
  const qint64 left = it->first() + WindowMs - now; // the oldest of the last `limit` failures
  return left <= 0 ? 0 : int((left + 999) / 1000);
}

void LoginThrottle::record(Failures &failures, const QString &key, int limit, qint64 now) {
  if (failures.size() > kPruneAbove) {
    for (auto it = failures.begin(); it != failures.end();)
      it = now - it->last() > WindowMs ? failures.erase(it) : std::next(it);
  }
  QList<qint64> &times = failures[key];
  times.append(now);
  while (times.size() > limit) times.removeFirst();
}

int LoginThrottle::secondsLocked(const QString &phone, const QString &address) const {
  QMutexLocker lock(&m_mutex);
  const qint64 now = m_clock();
  return qMax(waitFor(m_accounts, phone, AccountFailures, now), waitFor(m_addresses, address, AddressFailures, now));
}

void LoginThrottle::failed(const QString &phone, const QString &address) {
  QMutexLocker lock(&m_mutex);
  const qint64 now = m_clock();
  if (!phone.isEmpty()) record(m_accounts, phone, AccountFailures, now);
  record(m_addresses, address, AddressFailures, now);
}

void LoginThrottle::succeeded(const QString &phone) {
  QMutexLocker lock(&m_mutex);
  m_accounts.remove(phone);
}

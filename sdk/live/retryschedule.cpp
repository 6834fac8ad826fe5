#include "sdk/live/retryschedule.h"

#include "protocol/protocol.h"

#include <QDateTime>

#include <atomic>

namespace ilivesdk {

namespace {
std::atomic<int> g_firstDelayMs{ReconnectPolicy::kFirstDelayMs};
std::atomic<int> g_budgetMs{ReconnectPolicy::kBudgetMs};
// Each try gets this long at most (less when the budget ends).
constexpr int kTryTimeLimitMs = 5000;
constexpr int kMinTryTimeLimitMs = 300;

qint64 now() { return QDateTime::currentMSecsSinceEpoch(); }
} // namespace

RetrySchedule::RetrySchedule(Attempt attempt, GaveUp gaveUp, QObject *parent)
    : QObject(parent), m_attempt(std::move(attempt)), m_gaveUp(std::move(gaveUp)), m_timer(this) {
  m_timer.setSingleShot(true);
  connect(&m_timer, &QTimer::timeout, this, &RetrySchedule::attempt);
}

void RetrySchedule::setDefaultPolicy(int firstDelayMs, int budgetMs) {
  g_firstDelayMs = firstDelayMs;
  g_budgetMs = budgetMs;
}

bool RetrySchedule::worthRetrying(int code) {
  return code == hubproto::ClientConnect || code == hubproto::ClientTimeout ||
         code == hubproto::ClientConnectionLost;
}

void RetrySchedule::start(int code, const QString &reason) {
  stop();
  m_lastCode = code;
  m_lastReason = reason;
  m_policy = ReconnectPolicy(g_firstDelayMs, g_budgetMs);
  m_policy.start(now());
  scheduleNext();
}

void RetrySchedule::stop() {
  m_policy.stop();
  m_timer.stop();
}

void RetrySchedule::succeeded() { stop(); }

void RetrySchedule::failed(int code, const QString &reason) {
  if (!active())
    return;
  m_lastCode = code;
  m_lastReason = reason;
  if (!worthRetrying(code)) {
    stop();
    m_gaveUp(code, reason);
    return;
  }
  scheduleNext();
}

void RetrySchedule::attempt() {
  m_attempt(qBound(kMinTryTimeLimitMs, m_policy.remainingMs(now()), kTryTimeLimitMs));
}

void RetrySchedule::scheduleNext() {
  const int delay = m_policy.nextDelayMs(now());
  if (delay < 0) {
    m_gaveUp(m_lastCode, m_lastReason);
    return;
  }
  m_timer.start(delay);
}

} // namespace ilivesdk

#include "sdk/live/reconnectpolicy.h"

namespace ilivesdk {

namespace {
constexpr int kMaxDoublings = 20; // far beyond any budget; keeps the shift defined
}

ReconnectPolicy::ReconnectPolicy(int firstDelayMs, int budgetMs)
    : m_firstDelayMs(qMax(1, firstDelayMs)), m_budgetMs(qMax(0, budgetMs)) {}

void ReconnectPolicy::start(qint64 nowMs) {
  m_lostAtMs = nowMs;
  m_attempts = 0;
  m_active = true;
}

int ReconnectPolicy::remainingMs(qint64 nowMs) const {
  if (!m_active)
    return 0;
  return static_cast<int>(qBound<qint64>(0, m_lostAtMs + m_budgetMs - nowMs, m_budgetMs));
}

int ReconnectPolicy::nextDelayMs(qint64 nowMs) {
  const int left = remainingMs(nowMs) - kLastTryMs;
  if (left <= 0) {
    m_active = false;
    return -1;
  }
  const qint64 wanted = static_cast<qint64>(m_firstDelayMs) << qMin(m_attempts, kMaxDoublings);
  ++m_attempts;
  return static_cast<int>(qMin<qint64>(wanted, left));
}

} // namespace ilivesdk

#include "service/hub/ratelimiter.h"

#include <algorithm>

RateLimiter::RateLimiter(double ratePerSecond, double burst)
    : m_rate(ratePerSecond), m_burst(burst), m_tokens(burst) {}

bool RateLimiter::take(qint64 nowMs, double cost) {
  if (m_lastMs >= 0 && nowMs > m_lastMs)
    m_tokens = std::min(m_burst, m_tokens + (nowMs - m_lastMs) * m_rate / 1000.0);
  if (m_lastMs < 0 || nowMs > m_lastMs)
    m_lastMs = nowMs;
  if (m_tokens < cost)
    return false;
  m_tokens -= cost;
  return true;
}

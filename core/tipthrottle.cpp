#include "core/tipthrottle.h"

bool TipThrottle::request(const QString &text, qint64 nowMs) {
  const auto it = m_lastAsked.constFind(text);
  const bool quiet = it != m_lastAsked.constEnd() && nowMs - it.value() < m_windowMs;
  m_lastAsked.insert(text, nowMs);
  return !quiet;
}

#include "sdk/live/pendingsends.h"

#include <QRandomGenerator>

namespace ilivesdk {

PendingSends::PendingSends()
    : m_prefix(QString::number(QRandomGenerator::global()->generate64(), 36) + QLatin1Char('-')) {}

QString PendingSends::nextKey() { return m_prefix + QString::number(m_next++, 36); }

bool PendingSends::add(PendingSend send) {
  if (m_queue.size() >= kMaxQueued)
    return false;
  m_queue.append(std::move(send));
  return true;
}

QList<PendingSend> PendingSends::takeAll() {
  QList<PendingSend> out = std::move(m_queue);
  m_queue.clear();
  return out;
}

void PendingSends::failAll(int code, const QString &desc) {
  for (const PendingSend &s : takeAll())
    if (s.done)
      s.done(code, desc);
}

} // namespace ilivesdk

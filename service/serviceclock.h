#pragma once
// Milliseconds since the epoch; stores take one so tests can move time on.

#include <QDateTime>

#include <functional>

using ServiceClock = std::function<qint64()>;

inline ServiceClock systemClock() {
  return [] { return QDateTime::currentMSecsSinceEpoch(); };
}

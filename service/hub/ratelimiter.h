#pragma once
// A token bucket: rate tokens per second, at most burst tokens saved up.

#include <QtGlobal>

class RateLimiter {
public:
  RateLimiter(double ratePerSecond = 0, double burst = 0);
  // Takes cost tokens at time nowMs; false (and nothing taken) when there are too few.
  bool take(qint64 nowMs, double cost = 1);

private:
  double m_rate;
  double m_burst;
  double m_tokens;
  qint64 m_lastMs = -1;
};

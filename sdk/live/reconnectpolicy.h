#pragma once
// When to try the link again after it was lost: 0.5 s, 1 s, 2 s, 4 s … after the loss, each
// wait twice the one before, for no longer than the budget in all. Plain arithmetic on the
// times it is given, so tests drive it without waiting.

#include <QtGlobal>

namespace ilivesdk {

class ReconnectPolicy {
public:
  static constexpr int kFirstDelayMs = 500;
  static constexpr int kBudgetMs = 30000;
  static constexpr int kLastTryMs = 1000;

  explicit ReconnectPolicy(int firstDelayMs = kFirstDelayMs, int budgetMs = kBudgetMs);

  // The link was lost at nowMs.
  void start(qint64 nowMs);
  void stop() { m_active = false; }
  bool active() const { return m_active; }
  // How long to wait before the next try, or -1 once the budget is spent (the policy stops).
  // A wait that would run past the budget is cut short, so that a last try still has
  // kLastTryMs before the end.
  int nextDelayMs(qint64 nowMs);
  // What is left of the budget (0 when spent or not active).
  int remainingMs(qint64 nowMs) const;
  int attempts() const { return m_attempts; }

private:
  int m_firstDelayMs;
  int m_budgetMs;
  qint64 m_lostAtMs = 0;
  int m_attempts = 0;
  bool m_active = false;
};

} // namespace ilivesdk

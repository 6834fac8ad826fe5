#pragma once
// The schedule of a link's comeback, whatever the link: on the policy's times it asks for a
// try, and is told how the try went. A refusal (a code other than a link that did not work)
// ends the tries at once; a link that does not come back within the budget too. The hub link
// (LinkResume) and an IM server's link share it, so both wait and give up alike.

#include "sdk/live/reconnectpolicy.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace ilivesdk {

class RetrySchedule : public QObject {
  Q_OBJECT
public:
  // One try, to be answered with succeeded() or failed() within timeLimitMs.
  using Attempt = std::function<void(int timeLimitMs)>;
  using GaveUp = std::function<void(int code, const QString &reason)>;

  RetrySchedule(Attempt attempt, GaveUp gaveUp, QObject *parent = nullptr);

  // Tests shorten the schedule of later starts.
  static void setDefaultPolicy(int firstDelayMs, int budgetMs);
  // Only a link that did not work is worth another try; a server's refusal stays a refusal.
  static bool worthRetrying(int code);

  // The link was lost for code and reason (what the give-up reports if no try says more).
  void start(int code, const QString &reason);
  void stop();
  bool active() const { return m_policy.active(); }
  void succeeded();
  void failed(int code, const QString &reason);

private:
  void attempt();
  void scheduleNext();

  Attempt m_attempt;
  GaveUp m_gaveUp;
  ReconnectPolicy m_policy;
  QTimer m_timer;
  int m_lastCode = 0;
  QString m_lastReason;
};

} // namespace ilivesdk

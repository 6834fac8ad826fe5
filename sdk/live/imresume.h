#pragma once
// Brings an IM server's lost link back on the hub link's schedule (RetrySchedule): each try
// asks the transport to sign in again, rejoin its room and catch up (ImTransport::resume). A
// refusal, or a link that stays away for the budget, gives up.

#include "sdk/live/retryschedule.h"

#include <QObject>
#include <QPointer>

#include <functional>

namespace sdk {
class ImTransport;
}

namespace ilivesdk {

class ImResume : public QObject {
  Q_OBJECT
public:
  using Resumed = std::function<void()>;

  ImResume(Resumed resumed, RetrySchedule::GaveUp gaveUp, QObject *parent = nullptr);

  void start(sdk::ImTransport *im, int code, const QString &reason);
  void stop();
  bool active() const { return m_schedule.active(); }

private:
  void attempt(int timeLimitMs);

  Resumed m_resumed;
  RetrySchedule m_schedule;
  QPointer<sdk::ImTransport> m_im;
  quint64 m_try = 0; // answers to earlier tries (or to a stopped comeback) count for nothing
};

} // namespace ilivesdk

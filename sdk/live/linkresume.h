#pragma once
// Brings a lost hub link back: on the policy's schedule it opens a fresh client, signs in and
// joins the same room with the same role and grant, asking for the messages after the last one
// seen; the session then publishes and subscribes again on the client it is handed. A refusal
// (signature, grant) ends the tries at once; a link that does not come back within the budget
// too (the schedule is RetrySchedule's, which an IM server's link shares).

#include "sdk/live/retryschedule.h"

#include <QJsonObject>
#include <QObject>
#include <QPointer>

#include <functional>

namespace sdk {
class HubClient;
}

namespace ilivesdk {

class LinkResume : public QObject {
  Q_OBJECT
public:
  struct Plan {
    QString userId;
    QString userSig;
    quint32 roomId = 0;
    QString role;
    QString authBuffer;
    quint64 resumeAfter = 0; // the last message sequence number seen
    // The role to come back in when the hub no longer holds the stage role's grant (the seat
    // was given up meanwhile); empty: none, such a refusal ends the tries.
    QString plainRole;
  };
  // A fresh client, its signals already connected, owned by the caller.
  using MakeClient = std::function<sdk::HubClient *()>;
  // The client is signed in and back in the room; joined is the join's reply.
  using Resumed = std::function<void(sdk::HubClient *client, const QJsonObject &joined)>;
  using GaveUp = std::function<void(int code, const QString &reason)>;

  LinkResume(MakeClient make, Resumed resumed, GaveUp gaveUp, QObject *parent = nullptr);

  // Tests shorten the schedule of later starts.
  static void setDefaultPolicy(int firstDelayMs, int budgetMs);

  void start(const Plan &plan, int code, const QString &reason);
  void stop();
  bool active() const { return m_schedule.active(); }
  // The role of the last comeback (the plan's, or its plain role when the stage was gone).
  QString role() const { return m_plan.role; }

private:
  void attempt(int timeLimitMs);
  void join(sdk::HubClient *client);
  void failed(sdk::HubClient *client, int code, const QString &desc);

  MakeClient m_make;
  Resumed m_resumed;
  RetrySchedule m_schedule;
  Plan m_plan;
  QPointer<sdk::HubClient> m_client;
};

} // namespace ilivesdk

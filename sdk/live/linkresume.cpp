#include "sdk/live/linkresume.h"

#include "sdk/net/hubclient.h"

#include <QDateTime>

#include <atomic>

namespace ilivesdk {

namespace {
std::atomic<int> g_firstDelayMs{ReconnectPolicy::kFirstDelayMs};
std::atomic<int> g_budgetMs{ReconnectPolicy::kBudgetMs};
// Each try gets this long at most for the sign-in and the join (less when the budget ends).
constexpr int kTryTimeLimitMs = 5000;
constexpr int kMinTryTimeLimitMs = 300;

qint64 now() { return QDateTime::currentMSecsSinceEpoch(); }

// Only a link that did not work is worth another try; the hub's refusals stay refusals.
bool worthRetrying(int code) {
  return code == hubproto::ClientConnect || code == hubproto::ClientTimeout ||
         code == hubproto::ClientConnectionLost;
}
} // namespace

LinkResume::LinkResume(MakeClient make, Resumed resumed, GaveUp gaveUp, QObject *parent)
    : QObject(parent), m_make(std::move(make)), m_resumed(std::move(resumed)), m_gaveUp(std::move(gaveUp)),
      m_timer(this) {
  m_timer.setSingleShot(true);
  connect(&m_timer, &QTimer::timeout, this, &LinkResume::attempt);
}

void LinkResume::setDefaultPolicy(int firstDelayMs, int budgetMs) {
  g_firstDelayMs = firstDelayMs;
  g_budgetMs = budgetMs;
}

void LinkResume::start(const Plan &plan, int code, const QString &reason) {
  stop();
  m_plan = plan;
  m_lastCode = code;
  m_lastReason = reason;
  m_policy = ReconnectPolicy(g_firstDelayMs, g_budgetMs);
  m_policy.start(now());
  scheduleNext();
}

void LinkResume::stop() {
  m_policy.stop();
  m_timer.stop();
  if (sdk::HubClient *client = m_client.data()) {
    m_client.clear();
    client->close();
    client->deleteLater();
  }
}

void LinkResume::scheduleNext() {
  const int delay = m_policy.nextDelayMs(now());
  if (delay < 0) {
    m_gaveUp(m_lastCode, m_lastReason);
    return;
  }
  m_timer.start(delay);
}

void LinkResume::attempt() {
  sdk::HubClient *client = m_make();
  m_client = client;
  client->setRequestTimeout(qBound(kMinTryTimeLimitMs, m_policy.remainingMs(now()), kTryTimeLimitMs));
  client->login(m_plan.userId, m_plan.userSig, [this, client](const sdk::HubReply &r) {
    if (client != m_client)
      return;
    if (r.code != 0)
      return failed(client, r.code, r.desc);
    join(client);
  });
}

void LinkResume::join(sdk::HubClient *client) {
  QJsonObject body{{QStringLiteral("roomId"), static_cast<qint64>(m_plan.roomId)},
                   {QStringLiteral("role"), m_plan.role},
                   {QStringLiteral("resumeAfter"), static_cast<qint64>(m_plan.resumeAfter)}};
  if (!m_plan.authBuffer.isEmpty())
    body.insert(QStringLiteral("authBuffer"), m_plan.authBuffer);
  client->request(QStringLiteral("join"), body, [this, client](const sdk::HubReply &joined) {
    if (client != m_client)
      return;
    // Away longer than the hub held the seat, the stage went with it: back as a listener.
    if (joined.code == hubproto::StageNotGranted && !m_plan.plainRole.isEmpty() && m_plan.role != m_plan.plainRole) {
      m_plan.role = m_plan.plainRole;
      return join(client);
    }
    if (joined.code != 0)
      return failed(client, joined.code, joined.desc);
    m_client.clear();
    m_policy.stop();
    m_resumed(client, joined.body);
  });
}

void LinkResume::failed(sdk::HubClient *client, int code, const QString &desc) {
  m_client.clear();
  client->close();
  client->deleteLater();
  m_lastCode = code;
  m_lastReason = desc;
  if (!worthRetrying(code)) {
    m_policy.stop();
    m_gaveUp(code, desc);
    return;
  }
  scheduleNext();
}

} // namespace ilivesdk

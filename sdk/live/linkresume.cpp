#include "sdk/live/linkresume.h"

#include "sdk/net/hubclient.h"

namespace ilivesdk {

LinkResume::LinkResume(MakeClient make, Resumed resumed, GaveUp gaveUp, QObject *parent)
    : QObject(parent), m_make(std::move(make)), m_resumed(std::move(resumed)),
      m_schedule([this](int timeLimitMs) { attempt(timeLimitMs); }, std::move(gaveUp), this) {}

void LinkResume::setDefaultPolicy(int firstDelayMs, int budgetMs) {
  RetrySchedule::setDefaultPolicy(firstDelayMs, budgetMs);
}

void LinkResume::start(const Plan &plan, int code, const QString &reason) {
  stop();
  m_plan = plan;
  m_schedule.start(code, reason);
}

void LinkResume::stop() {
  m_schedule.stop();
  if (sdk::HubClient *client = m_client.data()) {
    m_client.clear();
    client->close();
    client->deleteLater();
  }
}

void LinkResume::attempt(int timeLimitMs) {
  sdk::HubClient *client = m_make();
  m_client = client;
  client->setRequestTimeout(timeLimitMs);
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
    m_schedule.succeeded();
    m_resumed(client, joined.body);
  });
}

void LinkResume::failed(sdk::HubClient *client, int code, const QString &desc) {
  m_client.clear();
  client->close();
  client->deleteLater();
  m_schedule.failed(code, desc);
}

} // namespace ilivesdk

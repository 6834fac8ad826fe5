#include "teacher/classstate.h"

#include "protocol/classcommandcode.h"

namespace {
constexpr int kEntered = toWire(ClassCommandCode::MemberEntered);
constexpr int kOnStage = toWire(ClassCommandCode::OnStage);
constexpr int kOffStage = toWire(ClassCommandCode::LeftStage);
constexpr int kForbidAll = toWire(ClassCommandCode::ForbidAll);
constexpr int kForbidOne = toWire(ClassCommandCode::ForbidYou);

QString flagText(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }
} // namespace

void ClassState::reset() {
  const int notifyId = m_notifyId;
  *this = ClassState();
  m_notifyId = notifyId;
}

void ClassState::memberEntered(const QString &userId) {
  if (!m_present.contains(userId))
    m_present.append(userId);
  if (!m_seen.contains(userId))
    m_seen.append(userId);
}

void ClassState::memberLeft(const QString &userId) {
  m_present.removeAll(userId);
  m_onStage.remove(userId);
}

QString ClassState::claimNextMember() {
  for (const QString &id : qAsConst(m_present)) {
    if (!m_claimed.contains(id)) {
      m_claimed.insert(id);
      return id;
    }
  }
  return QString();
}

void ClassState::commandReceived(const ReceivedCommand &command) {
  if (command.code == kEntered && !command.param.isEmpty())
    m_names.insert(command.from, command.param);
  else if (command.code == kOnStage)
    m_onStage.insert(command.from);
  else if (command.code == kOffStage)
    m_onStage.remove(command.from);
  m_pending.append(command);
  while (m_pending.size() > kMaxPending)
    m_pending.removeFirst();
}

std::optional<ReceivedCommand> ClassState::takeCommand(int code, const QString &from, const QString *param) {
  for (int i = 0; i < m_pending.size(); ++i) {
    const ReceivedCommand &c = m_pending.at(i);
    if (c.code == code && (from == QLatin1String("*") || c.from == from) && (!param || c.param == *param))
      return m_pending.takeAt(i);
  }
  return std::nullopt;
}

void ClassState::commandSent(const QString &to, int code, const QString &param) {
  if (param != QLatin1String("1") && param != QLatin1String("0"))
    return;
  const bool closed = param == QLatin1String("1");
  if (code == kForbidAll && to.isEmpty())
    m_forbidAll = closed;
  if (code != kForbidOne)
    return;
  // To the group, every student present applies it to itself.
  const QStringList whom = to.isEmpty() ? m_present : QStringList{to};
  for (const QString &id : whom) {
    if (closed)
      m_forbidden.insert(id);
    else
      m_forbidden.remove(id);
  }
}

QJsonObject ClassState::snapshotFor(const QString &userId) const {
  return {{QStringLiteral("forbid_all"), flagText(m_forbidAll)},
          {QStringLiteral("forbid_you"), flagText(m_forbidden.contains(userId))}};
}

QJsonArray ClassState::rosterEntries() const {
  QJsonArray entries;
  for (const QString &id : m_seen) {
    const bool up = m_onStage.contains(id);
    entries.append(QJsonObject{{QStringLiteral("uid"), id},
                               {QStringLiteral("name"), m_names.value(id)},
                               {QStringLiteral("role"), up ? QStringLiteral("2") : QStringLiteral("0")},
                               {QStringLiteral("up"), flagText(up)},
                               {QStringLiteral("exit"), flagText(!m_present.contains(id))}});
  }
  return entries;
}

int ClassState::nextNotifyId(int given) {
  m_notifyId = given > 0 ? given : m_notifyId + 1;
  return m_notifyId;
}

#include "teacher/stagegrants.h"

#include "protocol/classcommandcode.h"

StageGrants::Action StageGrants::actionFor(int code) {
  switch (static_cast<ClassCommandCode>(code)) {
  case ClassCommandCode::CallOnStage:
  case ClassCommandCode::CameraRequest:
    return Action::Grant;
  case ClassCommandCode::TakeOffStage:
  case ClassCommandCode::EveryoneOffStage:
  case ClassCommandCode::CameraOff:
    return Action::Revoke;
  default:
    return Action::None;
  }
}

QStringList StageGrants::targets(int code, const QString &to, const QString &param, const QStringList &present) const {
  const Action action = actionFor(code);
  if (action == Action::None)
    return {};
  // 2050 names the student in its parameter, whoever it is sent to.
  if (code == toWire(ClassCommandCode::TakeOffStage) && !param.isEmpty())
    return {param};
  if (!to.isEmpty())
    return {to};
  QStringList out;
  for (const QString &userId : present) {
    const bool concerned = action == Action::Grant ? !m_classmates.contains(userId) : m_granted.contains(userId);
    if (concerned)
      out.append(userId);
  }
  return out;
}

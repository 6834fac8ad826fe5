#include "classroom/chatpermission.h"

#include "core/jsonhelpers.h"

void ChatPermission::setFlag(const QString &value, bool *flag) {
  if (value == QLatin1String("1"))
    *flag = true;
  else if (value == QLatin1String("0"))
    *flag = false;
}

ChatPermission::Action ChatPermission::onChatSwitch(const QString &param) {
  if (param == QLatin1String("1"))
    return Forbid;
  if (param == QLatin1String("0") && !snapshotSeen_)
    return Allow;
  return Unchanged;
}

ChatPermission::Action ChatPermission::onForbidAll(const QString &param) {
  setFlag(param, &forbidAll_);
  return fromFlags();
}

ChatPermission::Action ChatPermission::onForbidYou(const QString &param) {
  setFlag(param, &forbidYou_);
  return fromFlags();
}

ChatPermission::Action ChatPermission::onSnapshot(const QString &json) {
  snapshotSeen_ = true;
  const QVariantMap snapshot = jsonToMap(json);
  if (snapshot.contains(QStringLiteral("forbid_all")))
    setFlag(snapshot.value(QStringLiteral("forbid_all")).toString(), &forbidAll_);
  if (snapshot.contains(QStringLiteral("forbid_you")))
    setFlag(snapshot.value(QStringLiteral("forbid_you")).toString(), &forbidYou_);
  return fromFlags();
}

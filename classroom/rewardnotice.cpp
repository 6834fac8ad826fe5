#include "classroom/rewardnotice.h"

#include "core/jsonhelpers.h"

RewardNotice RewardNotice::parse(const QString &json, const QString &ownUserId) {
  const QVariantMap map = jsonToMap(json);
  RewardNotice r;
  r.valid = !map.isEmpty();
  r.type = map.value(QStringLiteral("type")).toString();
  r.amount = map.value(QStringLiteral("amount")).toInt();
  r.receiver = map.value(QStringLiteral("receiver")).toString();
  r.receiverName = map.value(QStringLiteral("receiver_name")).toString();
  r.memo = map.value(QStringLiteral("memo")).toString();
  r.message = map.value(QStringLiteral("message")).toString();
  const QString who = r.receiver == ownUserId ? QStringLiteral("你") : r.receiverName;
  r.message.replace(QStringLiteral("[receiver_name]"), who, Qt::CaseSensitive);
  return r;
}

bool RewardNotice::hasPacket() const {
  return type == QLatin1String("101") || type == QLatin1String("102");
}

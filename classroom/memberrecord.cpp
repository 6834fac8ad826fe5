#include "classroom/memberrecord.h"

namespace {

void take(const QVariantMap &map, const char *key, QString *out) {
  const QString k = QString::fromLatin1(key);
  if (map.contains(k))
    *out = map.value(k).toString();
}

} // namespace

QString MemberRecord::cleanName(const QString &name) {
  QString clean = name;
  clean.remove(QStringLiteral("(离线)"), Qt::CaseSensitive);
  return clean;
}

MemberRecord MemberRecord::fromMap(const QVariantMap &map) {
  MemberRecord m;
  take(map, "uid", &m.uid);
  take(map, "name", &m.name);
  m.name = cleanName(m.name);
  take(map, "role", &m.role);
  take(map, "device", &m.device);
  take(map, "full_device", &m.fullDevice);
  take(map, "offline", &m.offline);
  if (map.contains(QStringLiteral("sort")))
    m.sort = map.value(QStringLiteral("sort")).toInt();
  return m;
}

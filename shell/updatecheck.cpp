#include "shell/updatecheck.h"

#include <QStringList>

namespace UpdateCheck {

namespace {

int comparePart(const QString &a, const QString &b) {
  bool okA = false, okB = false;
  const qlonglong na = a.isEmpty() ? 0 : a.toLongLong(&okA);
  const qlonglong nb = b.isEmpty() ? 0 : b.toLongLong(&okB);
  if ((okA || a.isEmpty()) && (okB || b.isEmpty())) return na < nb ? -1 : (na > nb ? 1 : 0);
  return QString::compare(a, b, Qt::CaseSensitive);
}

} // namespace

int compareVersions(const QString &a, const QString &b) {
  const QStringList pa = a.trimmed().split(QLatin1Char('.'));
  const QStringList pb = b.trimmed().split(QLatin1Char('.'));
  const int n = qMax(pa.size(), pb.size());
  for (int i = 0; i < n; ++i) {
    const int c = comparePart(pa.value(i).trimmed(), pb.value(i).trimmed());
    if (c != 0) return c;
  }
  return 0;
}

Outcome evaluate(int errorCode, const QVariantMap &data, const QString &ownVersion) {
  Outcome out;
  if (errorCode != 0 || !data.contains(QStringLiteral("version"))) return out;
  out.version = data.value(QStringLiteral("version")).toString();
  if (compareVersions(ownVersion, out.version) >= 0) {
    out.kind = Outcome::UpToDate;
    return out;
  }
  out.url = data.value(QStringLiteral("url")).toString();
  out.kind = data.value(QStringLiteral("force")).toBool() ? Outcome::Forced : Outcome::Optional;
  return out;
}

} // namespace UpdateCheck

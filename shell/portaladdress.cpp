#include "shell/portaladdress.h"

namespace portaladdress {

namespace {
QString build() { return QString::number(kBuildNumber); }
} // namespace

QString checkToken(const CheckToken &f) {
  return QStringLiteral("%1/check-token?phone=%2&token=%3&socketPort=%4&useCefChannel=true"
                        "&useWebReplay=true&ver=%5&build=%6")
      .arg(f.base, f.phone, f.token, QString::number(f.socketPort), f.version, build());
}

QString signIn(const QString &base) {
  return QStringLiteral("%1/client-login/login?build=%2").arg(base, build());
}

QString page(const QString &base, const QString &path) {
  return QStringLiteral("%1%2&build=%3").arg(base, path, build());
}

QString external(const QString &url) { return QStringLiteral("%1&build=%2").arg(url, build()); }

} // namespace portaladdress

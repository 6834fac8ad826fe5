#pragma once
// The portal's addresses. Each is filled in one pass, so a "%2F" in a configured base, a
// page path or a token reaches the page as it was given.

#include <QString>

namespace portaladdress {

constexpr int kBuildNumber = 1011;

struct CheckToken {
  QString base;
  QString phone;
  QString token;
  int socketPort = 0;
  QString version;
};

// "<base>/check-token?phone=..&token=..&socketPort=..&useCefChannel=true&useWebReplay=true
//  &ver=..&build=1011"
QString checkToken(const CheckToken &fields);
// "<base>/client-login/login?build=1011"
QString signIn(const QString &base);
// A portal page: "<base><path>&build=1011".
QString page(const QString &base, const QString &path);
// A page outside the portal, opened in the system browser: "<url>&build=1011".
QString external(const QString &url);

} // namespace portaladdress

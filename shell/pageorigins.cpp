#include "shell/pageorigins.h"

#include "core/deployment.h"

namespace pageorigins {

namespace {

constexpr int kHttpPort = 80;
constexpr int kHttpsPort = 443;

bool sameOrigin(const QUrl &url, const QString &base) {
  const QString origin = of(url);
  return !origin.isEmpty() && origin == of(QUrl(base));
}

} // namespace

bool isWebAddress(const QUrl &url) {
  const QString scheme = url.scheme().toLower();
  return url.isValid() && !url.host().isEmpty() &&
         (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QString of(const QUrl &url) {
  if (!isWebAddress(url)) return {};
  const QString scheme = url.scheme().toLower();
  const int port = url.port(scheme == QLatin1String("https") ? kHttpsPort : kHttpPort);
  return scheme + QStringLiteral("://") + url.host().toLower() + QLatin1Char(':') + QString::number(port);
}

bool isService(const QUrl &url) {
  const Deployment &d = Deployment::instance();
  return sameOrigin(url, d.portalUrl) || sameOrigin(url, d.staticUrl);
}

bool isSignIn(const QUrl &url) { return sameOrigin(url, Deployment::instance().portalUrl); }

} // namespace pageorigins

#include "core/deployment.h"

#include "core/places.h"

#include <QSettings>
#include <memory>

namespace {

std::unique_ptr<Deployment> &current() {
  static std::unique_ptr<Deployment> d;
  return d;
}

Deployment defaults() {
  Deployment d;
  d.portalUrl = QStringLiteral("http://127.0.0.1:18080");
  d.backendUrl = d.portalUrl;
  d.staticUrl = d.portalUrl + QStringLiteral("/static");
  d.storageUrl = d.portalUrl + QStringLiteral("/storage");
  d.storageAccount = QStringLiteral("tarnwick-local");
  d.previewUrl = d.portalUrl + QStringLiteral("/preview");
  d.hubUrl = QStringLiteral("ws://127.0.0.1:18081");
  d.siteUrl = d.portalUrl;
  d.im = QStringLiteral("hub");
  d.xmppUrl = QStringLiteral("xmpp://127.0.0.1:15222/tarnwick.local");
  d.media = QStringLiteral("hub");
  d.janusUrl = QStringLiteral("ws://127.0.0.1:15188");
  d.sdkAppId = 1400012345;
  d.sdkAccountType = 10234;
  d.upgradeProgram = QStringLiteral("upgrade");
  return d;
}

void pick(QString &value, const QSettings &ini, const char *key, const char *env) {
  value = ini.value(QLatin1String(key), value).toString();
  if (qEnvironmentVariableIsSet(env)) value = qEnvironmentVariable(env);
}

void pick(int &value, const QSettings &ini, const char *key, const char *env) {
  QString text = QString::number(value);
  pick(text, ini, key, env);
  bool ok = false;
  const int v = text.toInt(&ok);
  if (ok) value = v;
}

} // namespace

Deployment Deployment::load(const QString &dir) {
  Deployment d = defaults();
  QSettings ini(dir + QStringLiteral("/deployment.ini"), QSettings::IniFormat);
  ini.beginGroup(QStringLiteral("deployment"));
  pick(d.portalUrl, ini, "portal_url", "TARNWICK_PORTAL_URL");
  pick(d.backendUrl, ini, "backend_url", "TARNWICK_BACKEND_URL");
  pick(d.staticUrl, ini, "static_url", "TARNWICK_STATIC_URL");
  pick(d.storageUrl, ini, "storage_url", "TARNWICK_STORAGE_URL");
  pick(d.storageAccount, ini, "storage_account", "TARNWICK_STORAGE_ACCOUNT");
  pick(d.previewUrl, ini, "preview_url", "TARNWICK_PREVIEW_URL");
  pick(d.hubUrl, ini, "hub_url", "TARNWICK_HUB_URL");
  pick(d.siteUrl, ini, "site_url", "TARNWICK_SITE_URL");
  pick(d.im, ini, "im", "TARNWICK_IM");
  pick(d.xmppUrl, ini, "xmpp_url", "TARNWICK_XMPP_URL");
  pick(d.media, ini, "media", "TARNWICK_MEDIA");
  pick(d.janusUrl, ini, "janus_url", "TARNWICK_JANUS_URL");
  pick(d.sdkAppId, ini, "sdk_appid", "TARNWICK_SDK_APPID");
  pick(d.sdkAccountType, ini, "sdk_account_type", "TARNWICK_SDK_ACCOUNT_TYPE");
  pick(d.upgradeProgram, ini, "upgrade_program", "TARNWICK_UPGRADE_PROGRAM");
  pick(d.updateKey, ini, "update_key", "TARNWICK_UPDATE_KEY");
  return d;
}

QString Deployment::imAddress() const { return im == QLatin1String("xmpp") ? xmppUrl : QString(); }

QString Deployment::mediaAddress() const { return media == QLatin1String("janus") ? janusUrl : QString(); }

const Deployment &Deployment::instance() {
  auto &d = current();
  if (!d) {
    d = std::make_unique<Deployment>(load(Places::current().deploymentDir()));
  }
  return *d;
}

void Deployment::setInstance(const Deployment &d) { current() = std::make_unique<Deployment>(d); }

#include "core/places.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace {

const QLatin1String kUsrSuffix("/usr");

// "<organisation>/<application>" as the toolkit names a program's own per-user folders.
QString applicationFolder() {
  QString folder = QCoreApplication::organizationName();
  const QString app = QCoreApplication::applicationName();
  if (!folder.isEmpty() && !app.isEmpty()) folder += QLatin1Char('/');
  return folder + app;
}

QString appended(const QString &dir, const char *sub) { return dir + QLatin1Char('/') + QLatin1String(sub); }

} // namespace

Places::Places(const QString &programDir) : m_programDir(QDir::cleanPath(programDir)) {
  const QString suffix = QLatin1Char('/') + QLatin1String(kProgramSubdir);
  m_installed = m_programDir.endsWith(suffix);
  if (m_installed) m_prefix = m_programDir.chopped(suffix.size());
}

Places Places::current() {
  return Places(QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath());
}

QString Places::sharedDataDir() const { return m_installed ? appended(m_prefix, kSharedSubdir) : m_programDir; }

// "/usr" and "<root>/usr" keep their configuration in "<root>/etc", any other prefix in its own.
QString Places::deploymentDir() const {
  if (!m_installed) return m_programDir;
  const QString root = m_prefix.endsWith(kUsrSuffix) ? m_prefix.chopped(kUsrSuffix.size()) : m_prefix;
  return appended(root, kConfigSubdir);
}

QString Places::logBaseDir() const {
  return m_installed ? stateHome() + QLatin1Char('/') + applicationFolder() : m_programDir;
}

QString Places::browserCacheDir() const {
  const auto base = m_installed ? QStandardPaths::CacheLocation : QStandardPaths::DataLocation;
  return QStandardPaths::writableLocation(base) + QStringLiteral("/cefcache");
}

QString Places::userConfigDir() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/brannock");
}

// The toolkit has no state location; the XDG rule: an absolute $XDG_STATE_HOME, else
// ~/.local/state (a relative value is to be ignored).
QString Places::stateHome() {
  const QString env = qEnvironmentVariable("XDG_STATE_HOME");
  if (!env.isEmpty() && QDir::isAbsolutePath(env)) return QDir::cleanPath(env);
  return QDir::homePath() + QStringLiteral("/.local/state");
}

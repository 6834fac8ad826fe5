#include "shell/browsersetup.h"

#include "core/browsersettings.h"

#include <QDebug>
#include <QDir>
#include <QWebEngineProfile>

namespace BrowserSetup {

void apply() {
  static bool applied = false;
  if (applied) return;
  applied = true;
  const QString path = browserCachePath();
  QDir().mkpath(path);
  QWebEngineProfile *profile = QWebEngineProfile::defaultProfile();
  profile->setCachePath(path);
  profile->setPersistentStoragePath(path + QStringLiteral("/storage"));
}

} // namespace BrowserSetup

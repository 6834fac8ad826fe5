#include "core/browsersettings.h"

#include <QStandardPaths>

void prepareBrowserEnvironment() {
  if (qEnvironmentVariableIsSet("QTWEBENGINE_REMOTE_DEBUGGING")) return;
  qputenv("QTWEBENGINE_REMOTE_DEBUGGING",
          QByteArrayLiteral("127.0.0.1:") + QByteArray::number(kBrowserRemoteDebuggingPort));
}

QString browserCachePath() {
  return QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QStringLiteral("/cefcache");
}

#include "scratchenv.h"

#include <QDir>
#include <QTemporaryDir>

namespace scratchenv {

QString prepare() {
  static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tarnwick-shell-XXXXXX"));
  const QString root = dir.path();
  for (const char *sub : {"config", "data", "cache", "runtime"}) QDir(root).mkpath(QLatin1String(sub));
  QFile::setPermissions(root + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                               QFileDevice::ExeOwner);
  qputenv("HOME", root.toUtf8());
  qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
  qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
  qputenv("XDG_CACHE_HOME", (root + QStringLiteral("/cache")).toUtf8());
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
    qputenv("XDG_RUNTIME_DIR", (root + QStringLiteral("/runtime")).toUtf8());
  return root;
}

} // namespace scratchenv

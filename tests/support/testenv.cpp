#include "support/testenv.h"

#include <QCoreApplication>

namespace testenv {

QString sourceDir() { return qEnvironmentVariable("TARNWICK_SOURCE_DIR"); }

QString binDir() {
  const QString dir = qEnvironmentVariable("TARNWICK_BIN_DIR");
  return dir.isEmpty() ? QCoreApplication::applicationDirPath() : dir;
}

bool hasDisplay() { return !qEnvironmentVariable("DISPLAY").isEmpty(); }

} // namespace testenv

#pragma once
// Where a test finds the source tree and the built programs (set by CTest).

#include <QString>

namespace testenv {
QString sourceDir();          // TARNWICK_SOURCE_DIR
QString binDir();             // TARNWICK_BIN_DIR: quorvel, tarnwick-local, deployment.ini
bool hasDisplay();            // an X server is reachable (DISPLAY set)
} // namespace testenv

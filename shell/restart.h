#pragma once
// Starting other copies of the program: a fresh client (class-type switch, log-out) and the
// upgrade program, both beside the executable, detached, with the executable's directory as
// their working directory. The caller quits or closes afterwards.

#include <QString>

namespace Restart {

// "<executable dir>/quorvel"
QString clientPath();
// "<executable dir>/<upgrade program of the deployment record>"
QString upgradePath();

// Names the client's log folder for the upgrade program.
constexpr char kLogDirVariable[] = "TARNWICK_LOG_DIR";

bool startClient();
// The upgrade program with the download's address and its SHA-256, both from a signed
// manifest: it fetches the address and runs the download only when the hash matches.
bool startUpgrade(const QString &url, const QString &sha256);

} // namespace Restart

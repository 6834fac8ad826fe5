#include "shell/restart.h"

#include "core/deployment.h"
#include "core/places.h"

#include <QDebug>
#include <QDir>
#include <QProcess>

namespace Restart {

namespace {

QString executableDir() { return Places::current().programDir(); }

bool startDetached(const QString &program, const QStringList &args,
                   const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment()) {
  QProcess process;
  process.setProgram(program);
  process.setArguments(args);
  process.setWorkingDirectory(executableDir());
  process.setProcessEnvironment(env);
  const bool ok = process.startDetached();
  if (!ok) qWarning("cannot start %s", qUtf8Printable(program));
  return ok;
}

} // namespace

QString clientPath() { return QStringLiteral("%1/quorvel").arg(executableDir()); }

// A bare name lies beside the executable; an absolute path is taken as it is.
QString upgradePath() { return QDir(executableDir()).filePath(Deployment::instance().upgradeProgram); }

bool startClient() { return startDetached(clientPath(), {}); }

// The upgrade program records the request in the client's log folder, which an installed
// program's folder is not.
bool startUpgrade(const QString &url, const QString &sha256) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QString::fromLatin1(kLogDirVariable), Places::current().logBaseDir() + QStringLiteral("/log"));
  return startDetached(upgradePath(), {url, sha256}, env);
}

} // namespace Restart

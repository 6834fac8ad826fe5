#include "shell/restart.h"

#include "core/deployment.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QProcess>

namespace Restart {

namespace {

QString executableDir() { return QCoreApplication::applicationDirPath(); }

bool startDetached(const QString &program, const QStringList &args) {
  const bool ok = QProcess::startDetached(program, args, executableDir());
  if (!ok) qWarning("cannot start %s", qUtf8Printable(program));
  return ok;
}

} // namespace

QString clientPath() { return QStringLiteral("%1/quorvel").arg(executableDir()); }

// A bare name lies beside the executable; an absolute path is taken as it is.
QString upgradePath() { return QDir(executableDir()).filePath(Deployment::instance().upgradeProgram); }

bool startClient() { return startDetached(clientPath(), {}); }

bool startUpgrade(const QString &url, const QString &sha256) { return startDetached(upgradePath(), {url, sha256}); }

} // namespace Restart

#include "classroom/shelllink.h"

#include "av/audiohelper.h"
#include "core/processwindows.h"

#include <QDebug>
#include <QMetaObject>
#include <QSet>

namespace {

// Says once per name that the shell lacks it, instead of on every call.
void missing(const char *name) {
  static QSet<QByteArray> told;
  if (told.contains(name))
    return;
  told.insert(name);
  qWarning("the shell window has no invokable %s", name);
}

template <typename... Args> bool call(const char *name, Args... args) {
  QWidget *shell = shellWindow();
  if (!shell)
    return false;
  const bool ok = QMetaObject::invokeMethod(shell, name, Qt::DirectConnection, args...);
  if (!ok)
    missing(name);
  return ok;
}

} // namespace

bool ShellLink::leaveClass(bool ask) {
  int answer = 0;
  return call("leaveClass", Q_RETURN_ARG(int, answer), Q_ARG(bool, ask));
}

void ShellLink::setMyName(const QString &name) { call("setMyName", Q_ARG(QString, name)); }

void ShellLink::loadSetting() { call("loadSetting"); }

QVariantMap ShellLink::currentSettings() {
  QVariantMap settings;
  call("currentSettings", Q_RETURN_ARG(QVariantMap, settings));
  return settings;
}

AudioHelper *ShellLink::audioHelper() {
  AudioHelper *helper = nullptr;
  call("audioHelper", Q_RETURN_ARG(AudioHelper *, helper));
  return helper;
}

void ShellLink::setNetworkGood(bool good) { call(good ? "setNetGood" : "setNetBad"); }

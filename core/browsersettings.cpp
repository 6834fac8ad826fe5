#include "core/browsersettings.h"

#include "core/places.h"

#include <QList>
#include <cstring>

namespace {

constexpr char kEngineDebuggingVariable[] = "QTWEBENGINE_REMOTE_DEBUGGING";
constexpr char kEngineFlagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";
// remote-debugging-port, -address, -pipe, ... after one or two dashes, as the engine reads them.
constexpr char kDebuggingSwitchPrefix[] = "remote-debugging";

bool debuggingWanted() { return qgetenv(kRemoteDebuggingSwitch) == "1"; }

bool isDebuggingSwitch(const char *argument) {
  if (*argument != '-') return false;
  while (*argument == '-') ++argument;
  return std::strncmp(argument, kDebuggingSwitchPrefix, sizeof kDebuggingSwitchPrefix - 1) == 0;
}

void dropDebuggingFlags() {
  if (!qEnvironmentVariableIsSet(kEngineFlagsVariable)) return;
  QList<QByteArray> kept;
  for (const QByteArray &flag : qgetenv(kEngineFlagsVariable).split(' ')) {
    if (!flag.isEmpty() && !isDebuggingSwitch(flag.constData())) kept << flag;
  }
  qputenv(kEngineFlagsVariable, kept.join(' '));
}

} // namespace

void prepareBrowserEnvironment() {
  if (debuggingWanted()) {
    qputenv(kEngineDebuggingVariable,
            QByteArrayLiteral("127.0.0.1:") + QByteArray::number(kBrowserRemoteDebuggingPort));
    return;
  }
  qunsetenv(kEngineDebuggingVariable);
  dropDebuggingFlags();
}

int dropRemoteDebuggingArguments(int &argc, char **argv) {
  if (debuggingWanted()) return 0;
  int kept = argc > 0 ? 1 : 0; // the program's name stays
  for (int i = kept; i < argc; ++i) {
    if (!isDebuggingSwitch(argv[i])) argv[kept++] = argv[i];
  }
  const int dropped = argc - kept;
  argc = kept;
  if (argv) argv[argc] = nullptr;
  return dropped;
}

QString browserCachePath() { return Places::current().browserCacheDir(); }

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

// Quotes count for nothing: a shell or a launcher may leave them around a switch or inside it
// ("--remote-debugging-port=1", '--remote-debugging-port', --"remote-debugging-port"=1).
bool isDebuggingSwitch(const char *argument) {
  QByteArray bare(argument);
  bare.replace('"', QByteArray()).replace('\'', QByteArray());
  const char *text = bare.constData();
  if (*text != '-') return false;
  while (*text == '-') ++text;
  return std::strncmp(text, kDebuggingSwitchPrefix, sizeof kDebuggingSwitchPrefix - 1) == 0;
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

#include "fuzzapp.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

namespace fuzzapp {
namespace {

int g_argc = 1;
char g_name[] = "fuzz";
char *g_argv[] = {g_name, nullptr};

void silent(QtMsgType type, const QMessageLogContext &, const QString &message) {
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    std::abort();
  }
}

// Kept until the process ends and never destroyed: Qt's own globals are gone by the time a
// static application object would be.
QCoreApplication *g_app = nullptr;

template <typename App>
void make() {
  if (g_app)
    return;
  qInstallMessageHandler(silent);
  g_app = new App(g_argc, g_argv);
}

} // namespace

void init() { make<QCoreApplication>(); }

void initGui() {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  make<QGuiApplication>();
}

void check(bool ok, const char *what) {
  if (ok)
    return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

} // namespace fuzzapp

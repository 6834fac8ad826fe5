// Helper process for the fatal-signal tests: arms the loader without a reporter library
// (so the fallback handler is installed), logs one line into the given folder, then dies.
// Usage: crash_child <log base dir> segv|abort|thread|removed

#include "core/crashreporter.h"
#include "core/log.h"

#include <QCoreApplication>
#include <QDebug>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <thread>

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  if (argc < 3) return 2;
  setLogBaseDirectory(QString::fromLocal8Bit(argv[1]));
  qInstallMessageHandler(logMessageHandler);
  const QByteArray mode = argv[2];
  auto reporter = std::make_unique<CrashReporter>("libtarnwick-absent-reporter.so");
  if (!reporter->handlerInstalled()) return 3;
  if (mode == "removed") reporter.reset();
  qDebug("before the crash");
  if (mode == "abort") std::abort();
  if (mode == "thread") {
    std::thread worker([] { std::raise(SIGSEGV); });
    worker.join();
  }
  std::raise(SIGSEGV);
  return 0;
}

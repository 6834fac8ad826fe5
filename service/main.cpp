// tarnwick-local: the local stand-in of the Tarnwick service (backend API, portal pages and
// the class hub) on loopback.

#include "service/serviceapp.h"
#include "service/serviceoptions.h"
#include "service/signalwatcher.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("tarnwick-local"));
  std::signal(SIGPIPE, SIG_IGN);

  ServiceOptions options;
  QString error;
  if (!options.parse(app.arguments(), &error)) {
    std::fprintf(stderr, "tarnwick-local: %s\n", qPrintable(error));
    return 2;
  }
  if (options.helpRequested) {
    std::fputs(qPrintable(options.helpText), stdout);
    return 0;
  }

  SignalWatcher watcher;
  QObject::connect(&watcher, &SignalWatcher::stopRequested, &app, [](int number) {
    qInfo("tarnwick-local: signal %d, stopping", number);
    QCoreApplication::quit();
  });

  std::unique_ptr<ServiceApp> service = ServiceApp::start(options, &error);
  if (!service) {
    std::fprintf(stderr, "tarnwick-local: %s\n", qPrintable(error));
    return 1;
  }
  std::printf("%s\n", qPrintable(service->readyLine()));
  std::fflush(stdout);

  const int rc = app.exec();
  service->stop();
  qInfo("tarnwick-local: stopped");
  return rc;
}

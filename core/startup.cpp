#include "core/startup.h"

#include "core/browsersettings.h"
#include "core/crashrecords.h"
#include "core/crashreporter.h"
#include "core/log.h"
#include "core/processwindows.h"
#include "core/quitonsignal.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QTimer>
#include <memory>

namespace {

// Handed to the reporter, which may keep pointers to them: they live as long as the process.
CrashAppInfo g_appInfo;
CrashHandlerSettings g_handlerSettings;

void showFirstWindow(const FirstWindowFactory &makeFirstWindow) {
  QWidget *window = makeFirstWindow ? makeFirstWindow() : nullptr;
  if (!window) {
    qDebug("startup: no first window, leaving the event loop");
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return;
  }
  setLoginWindow(window);
  window->show();
}

// As the student would end the program: the login window goes, then the shell window, which
// leaves a running class first. The loop ends once the shell is gone, not as soon as no
// window is visible (the shell may still be leaving a class).
void closeWindowsForExit(QuitOnSignal *stop) {
  QGuiApplication::setQuitOnLastWindowClosed(false);
  if (QWidget *login = loginWindow()) login->close();
  QWidget *shell = shellWindow();
  if (!shell) {
    stop->leaveEventLoop();
    return;
  }
  QObject::connect(shell, &QObject::destroyed, stop, &QuitOnSignal::leaveEventLoop);
  shell->close();
}

int runEventLoop(int &argc, char **argv, const FirstWindowFactory &makeFirstWindow) {
  // The browser engine reads these when it starts, before any page exists.
  prepareBrowserEnvironment();
  dropRemoteDebuggingArguments(argc, argv);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts, true);

  auto app = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(logMessageHandler);
  QDir::setCurrent(QCoreApplication::applicationDirPath());
  if (argc > 1) qDebug().noquote() << QString::fromLocal8Bit(argv[1]);
  QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings, true);
  qDebug().noquote() << QStringLiteral("cachePath:") << browserCachePath();

  QuitOnSignal quitOnSignal(&closeWindowsForExit);
  showFirstWindow(makeFirstWindow);
  const int code = app->exec();

  // No live-SDK call here: the shell already released the SDK when it closed, and a fresh
  // initialisation on the way out would achieve nothing.
  // Start-up made the first window, so it goes before the application object does; so does
  // a shell window whose deferred deletion the ended loop did not run (its store writes the
  // settings file when it goes).
  delete loginWindow();
  delete shellWindow();
  app.reset();
  return code;
}

} // namespace

int runApplication(int &argc, char **argv, const FirstWindowFactory &makeFirstWindow) {
  g_appInfo = makeCrashAppInfo();
  g_handlerSettings = makeCrashHandlerSettings();
  // The reporter's destructor runs after the application is gone: it waits for the reporter
  // to be ready to exit and removes the fallback handler.
  CrashReporter reporter;
  if (reporter.loaded()) reporter.initialize(&g_appInfo, &g_handlerSettings, 1);
  return runEventLoop(argc, argv, makeFirstWindow);
}

// Runs the real program from a scratch copy of its folder, so its log lands there.

#include "core/browsersettings.h"
#include "core/processwindows.h"
#include "support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
  int exitCode = -1;
  QProcess::ExitStatus status = QProcess::CrashExit;
  QStringList lines;
};

QStringList readLog(const QString &folder) {
  QStringList lines;
  const QDir dir(folder + QStringLiteral("/log"));
  for (const QString &name : dir.entryList({QStringLiteral("rizhi_*.txt")})) {
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::ReadOnly)) continue;
    const QByteArray text = f.readAll();
    if (!text.endsWith("\r\n")) lines << QStringLiteral("<unterminated>");
    lines += QString::fromUtf8(text).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  }
  return lines;
}

Run runProgram(const QStringList &args, const QString &workingDir, const QString &dataHome,
               const QString &configHome = QString()) {
  QTemporaryDir folder;
  Run run;
  const QString exe = folder.path() + QStringLiteral("/quorvel");
  if (!QFile::copy(testenv::binDir() + QStringLiteral("/quorvel"), exe)) return run;
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
  if (!configHome.isEmpty()) env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(workingDir);
  p.start(exe, args);
  // The program runs until the session stops it: once start-up has shown the login window,
  // ask it to stop as a desktop session would.
  QElapsedTimer waited;
  waited.start();
  while (p.state() != QProcess::NotRunning && waited.elapsed() < 60000 &&
         !readLog(folder.path()).join(QLatin1Char('\n')).contains(QStringLiteral("cachePath:")))
    QTest::qWait(100);
  QTest::qWait(1000);
  p.terminate();
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished();
  }
  run.exitCode = p.exitCode();
  run.status = p.exitStatus();
  run.lines = readLog(folder.path());
  return run;
}

const QRegularExpression kDebugLine(
    QStringLiteral("^\\(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\) (Debug|Info|Warning|Critical): File:\\(.*\\) Line:\\(\\d+\\) (.*)$"));

QStringList messages(const Run &run) {
  QStringList out;
  for (const QString &line : run.lines) {
    const auto m = kDebugLine.match(line);
    out << (m.hasMatch() ? m.captured(2) : QStringLiteral("<malformed> ") + line);
  }
  return out;
}

} // namespace

class TestStartup : public QObject {
  Q_OBJECT
private slots:
  void firstArgumentIsLoggedOnce() {
    QTemporaryDir data, elsewhere;
    const QString arg = QStringLiteral("--from portal 课堂 %1 \"q\"");
    const Run run = runProgram({arg, QStringLiteral("second")}, elsewhere.path(), data.path());
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);
    const QStringList texts = messages(run);
    QCOMPARE(texts.count(arg), 1);
    QCOMPARE(texts.first(), arg); // the first line of the run
    QVERIFY(!texts.join(QLatin1Char('\n')).contains(QStringLiteral("second")));
    QVERIFY(!texts.join(QLatin1Char('\n')).contains(QStringLiteral("<malformed>")));
    QVERIFY2(texts.contains(QStringLiteral("startup: signal 15, leaving the event loop")),
             qPrintable(texts.join('\n')));
  }

  // The session's stop closes the windows as the student would: the shell releases the live
  // SDK, writes the settings and closes the log before the loop ends, and the exit is clean.
  void stopSignalClosesTheShellFirst() {
    QTemporaryDir data, elsewhere, config;
    const QString ini = config.path() + QStringLiteral("/brannock/quorvel.ini");
    QVERIFY(QDir().mkpath(config.path() + QStringLiteral("/brannock")));
    {
      QFile seeded(ini);
      QVERIFY(seeded.open(QIODevice::WriteOnly));
      seeded.write("[General]\nphone=13800000000\nmic_vol=35\nhide_up=1\n");
    }
    const Run run = runProgram({}, elsewhere.path(), data.path(), config.path());
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);
    const QStringList texts = messages(run);
    const int closing = texts.indexOf(QStringLiteral("startup: signal 15, closing the windows"));
    const int shellClosed = texts.indexOf(QStringLiteral("shell: closed, live SDK released, settings written"));
    const int leaving = texts.indexOf(QStringLiteral("startup: signal 15, leaving the event loop"));
    QVERIFY2(closing >= 0 && shellClosed > closing && leaving > shellClosed, qPrintable(texts.join('\n')));
    QCOMPARE(texts.count(QStringLiteral("shell: closed, live SDK released, settings written")), 1);
    QVERIFY(!texts.join(QLatin1Char('\n')).contains(QStringLiteral("<malformed>")));
    QVERIFY(!texts.join(QLatin1Char('\n')).contains(QStringLiteral("did not close in time")));
    QSettings kept(ini, QSettings::IniFormat);
    QCOMPARE(kept.value(QStringLiteral("phone")).toString(), QStringLiteral("13800000000"));
    QCOMPARE(kept.value(QStringLiteral("mic_vol")).toInt(), 35);
    QCOMPARE(kept.value(QStringLiteral("hide_up")).toInt(), 1);
  }

  void withoutArgumentOnlyTheProgramsOwnLines() {
    QTemporaryDir data, elsewhere;
    const Run run = runProgram({}, elsewhere.path(), data.path());
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);
    const QStringList texts = messages(run);
    QVERIFY2(texts.first().startsWith(QStringLiteral("cachePath: ")), qPrintable(texts.join('\n')));
  }

  void cacheLivesUnderTheUsersDataFolder() {
    QTemporaryDir data, elsewhere;
    const Run run = runProgram({}, elsewhere.path(), data.path());
    const QStringList texts = messages(run);
    const QString expected = QStringLiteral("cachePath: ") + data.path() + QStringLiteral("/quorvel/cefcache");
    QVERIFY2(texts.contains(expected), qPrintable(texts.join('\n')));
  }

  // The debugging port lets any local process drive the signed-in portal: only the switch
  // opens it, and then only on 127.0.0.1:21188, whatever the environment brought along.
  void remoteDebuggingOpensOnlyWithTheSwitch() {
    for (const QByteArray &off : {QByteArray(), QByteArray(""), QByteArray("0"), QByteArray("yes")}) {
      if (off.isNull()) qunsetenv(kRemoteDebuggingSwitch);
      else qputenv(kRemoteDebuggingSwitch, off);
      qputenv("QTWEBENGINE_REMOTE_DEBUGGING", "0.0.0.0:9999");
      qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
              "--disable-gpu --remote-debugging-port=9222 -remote-debugging-address=0.0.0.0 --no-sandbox");
      prepareBrowserEnvironment();
      QVERIFY2(!qEnvironmentVariableIsSet("QTWEBENGINE_REMOTE_DEBUGGING"), off.constData());
      QCOMPARE(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), QByteArray("--disable-gpu --no-sandbox"));
    }
    // Quoted, whole or in part, the switches are still switches to the engine.
    qunsetenv(kRemoteDebuggingSwitch);
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu \"--remote-debugging-port=9222\" '--remote-debugging-address=0.0.0.0' "
                                          "--\"remote-debugging-pipe\" -'-remote-debugging-port=1' --no-sandbox");
    prepareBrowserEnvironment();
    QCOMPARE(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), QByteArray("--disable-gpu --no-sandbox"));

    qputenv(kRemoteDebuggingSwitch, "1");
    qputenv("QTWEBENGINE_REMOTE_DEBUGGING", "0.0.0.0:9999");
    prepareBrowserEnvironment();
    QCOMPARE(qgetenv("QTWEBENGINE_REMOTE_DEBUGGING"), QByteArray("127.0.0.1:21188"));
    qunsetenv(kRemoteDebuggingSwitch);
    qunsetenv("QTWEBENGINE_REMOTE_DEBUGGING");
    qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  }

  // The engine takes the program's arguments as its own switches.
  void debuggingArgumentsAreDroppedWithoutTheSwitch() {
    char name[] = "quorvel", port[] = "--remote-debugging-port=9222", keep[] = "first",
         pipe[] = "-remote-debugging-pipe", gpu[] = "--disable-gpu", quoted[] = "\"--remote-debugging-port=1\"";
    char *argv[] = {name, port, keep, pipe, quoted, gpu, nullptr};
    int argc = 6;
    qputenv(kRemoteDebuggingSwitch, "1");
    QCOMPARE(dropRemoteDebuggingArguments(argc, argv), 0);
    QCOMPARE(argc, 6);
    qunsetenv(kRemoteDebuggingSwitch);
    QCOMPARE(dropRemoteDebuggingArguments(argc, argv), 3);
    QCOMPARE(argc, 3);
    QCOMPARE(QByteArray(argv[1]), QByteArray("first"));
    QCOMPARE(QByteArray(argv[2]), QByteArray("--disable-gpu"));
    QCOMPARE(argv[3], nullptr);
  }

  void windowPointersNeverDangle() {
    auto *shell = new QWidget;
    auto *classroom = new QWidget(shell);
    setShellWindow(shell);
    setClassroomWindow(classroom);
    QCOMPARE(shellWindow(), shell);
    QCOMPARE(classroomWindow(), classroom);
    QCOMPARE(shellWindowAs<QWidget>(), shell);
    QCOMPARE(classroomWindowAs<QApplication>(), nullptr);
    shell->setAttribute(Qt::WA_DeleteOnClose);
    shell->show();
    shell->close(); // deletes itself later, as the shell window does
    QTRY_COMPARE(shellWindow(), nullptr);
    QCOMPARE(classroomWindow(), nullptr);
  }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"

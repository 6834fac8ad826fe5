#include "core/crashreporter.h"
#include "fake_crashrpt.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstring>
#include <dlfcn.h>

namespace {

// The child dies on purpose: under the sanitizers its report goes to its own stderr, not to
// the report files the test run collects as findings.
void startCrashChild(QProcess &child, const QStringList &args) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (env.contains(QStringLiteral("ASAN_OPTIONS")))
    env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":log_path=stderr"));
  child.setProcessEnvironment(env);
  child.start(QStringLiteral(CRASH_CHILD), args);
}

// Keeps the stand-in library loaded so the test can read its counters after the loader
// under test has closed its own handle.
struct FakeLibrary {
  explicit FakeLibrary(const char *path) : handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
    if (!handle) return;
    reset = reinterpret_cast<FakeResetFn>(dlsym(handle, "fakeReset"));
    seen = reinterpret_cast<FakeSeenFn>(dlsym(handle, "fakeSeen"));
    readyCalls = reinterpret_cast<FakeReadyCallsFn>(dlsym(handle, "fakeReadyCalls"));
  }
  ~FakeLibrary() {
    if (handle) dlclose(handle);
  }
  bool ok() const { return handle && reset && seen && readyCalls; }
  void *handle;
  FakeResetFn reset = nullptr;
  FakeSeenFn seen = nullptr;
  FakeReadyCallsFn readyCalls = nullptr;
};

void *currentSegvHandler() {
  struct sigaction now {};
  sigaction(SIGSEGV, nullptr, &now);
  return reinterpret_cast<void *>(now.sa_sigaction);
}

QStringList logLines(const QString &baseDir) {
  QStringList lines;
  const QDir dir(baseDir + QStringLiteral("/log"));
  for (const QString &name : dir.entryList({QStringLiteral("rizhi_*.txt")})) {
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::ReadOnly)) continue;
    const QString text = QString::fromUtf8(f.readAll());
    for (const QString &line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) lines << line;
  }
  return lines;
}

} // namespace

class TestCrashReporter : public QObject {
  Q_OBJECT
private slots:
  void missingLibraryInstallsFallbackAndRemovesIt() {
    void *before = currentSegvHandler();
    {
      CrashReporter reporter("libtarnwick-absent-reporter.so");
      QVERIFY(!reporter.loaded());
      QVERIFY(reporter.handlerInstalled());
      QVERIFY(currentSegvHandler() != before);
      CrashAppInfo info = makeCrashAppInfo();
      CrashHandlerSettings settings = makeCrashHandlerSettings();
      QVERIFY(!reporter.initialize(&info, &settings, 1));
      QVERIFY(!reporter.entryPoints().IsReadyToExit);
    }
    QCOMPARE(currentSegvHandler(), before);
  }

  void completeLibraryIsArmedWithTheRecords() {
    FakeLibrary fake(FAKE_CRASHRPT_FULL);
    QVERIFY(fake.ok());
    fake.reset(2, 1);
    void *before = currentSegvHandler();
    {
      CrashReporter reporter(FAKE_CRASHRPT_FULL);
      QVERIFY(reporter.loaded());
      QVERIFY(!reporter.handlerInstalled());
      QCOMPARE(currentSegvHandler(), before);

      CrashAppInfo info = makeCrashAppInfo();
      CrashHandlerSettings settings = makeCrashHandlerSettings();
      QVERIFY(reporter.initialize(&info, &settings, 1));
      const FakeInitSeen &seen = *fake.seen();
      QCOMPARE(seen.calls, 1);
      QCOMPARE(seen.ownProcess, 1);
      QCOMPARE(seen.appInfo.size, quint32(sizeof(CrashAppInfo)));
      QCOMPARE(QByteArray(seen.appId).size(), 36);
      QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"))
                  .match(QString::fromLatin1(seen.appId))
                  .hasMatch());
      QCOMPARE(QString::fromUtf16(seen.appInfo.appName), QStringLiteral("Tarnwick"));
      QCOMPARE(QString::fromUtf16(seen.appInfo.company), QStringLiteral("quorvel"));
      QCOMPARE(seen.appInfo.version[0], quint16(3));
      QCOMPARE(seen.appInfo.version[1], quint16(7));
      QCOMPARE(seen.appInfo.version[2], quint16(5));
      QCOMPARE(seen.appInfo.version[3], quint16(10208));
      QCOMPARE(seen.appInfo.dumpNamePrefix, nullptr);
      QCOMPARE(seen.appInfo.privacyPolicyUrl, nullptr);
      QCOMPARE(seen.settings.field[0], quint32(sizeof(CrashHandlerSettings)));
      QCOMPARE(seen.settings.field[1], 1u);
      QCOMPARE(seen.settings.field[5], 1u);
      for (int i : {2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13}) QCOMPARE(seen.settings.field[i], 0u);
      // During the call the settings pointed at a runtime-handler record...
      QVERIFY(seen.settings.crtHandlers != nullptr);
      QCOMPARE(seen.crt.size, quint32(sizeof(CrashCrtHandlers)));
      QCOMPARE(seen.crt.signalFunction, reinterpret_cast<void *>(&::signal));
      // ...which died with it, so the long-lived record must not keep its address.
      QCOMPARE(settings.crtHandlers, nullptr);
      QCOMPARE(fake.readyCalls(), 0);
    }
    // Destruction polls until the reporter is ready: two "not yet", then ready.
    QCOMPARE(fake.readyCalls(), 3);
  }

  void initializeWithoutSettingsUsesItsOwnRecord() {
    FakeLibrary fake(FAKE_CRASHRPT_FULL);
    QVERIFY(fake.ok());
    fake.reset(0, 0);
    CrashReporter reporter(FAKE_CRASHRPT_FULL);
    CrashAppInfo info = makeCrashAppInfo();
    QVERIFY(!reporter.initialize(&info, nullptr, 0)); // the library answered 0
    const FakeInitSeen &seen = *fake.seen();
    QCOMPARE(seen.calls, 1);
    QCOMPARE(seen.ownProcess, 0);
    QCOMPARE(seen.settings.field[0], quint32(sizeof(CrashHandlerSettings)));
    QCOMPARE(seen.settings.field[1], 0u);
    QCOMPARE(seen.settings.field[2], 1u);
    QVERIFY(seen.settings.crtHandlers != nullptr);
  }

  void presetRuntimeHandlerPointerIsLeftAlone() {
    FakeLibrary fake(FAKE_CRASHRPT_FULL);
    QVERIFY(fake.ok());
    fake.reset(0, 1);
    CrashReporter reporter(FAKE_CRASHRPT_FULL);
    CrashAppInfo info = makeCrashAppInfo();
    CrashHandlerSettings settings = makeCrashHandlerSettings();
    CrashCrtHandlers mine{};
    mine.size = 99;
    settings.crtHandlers = &mine;
    QVERIFY(reporter.initialize(&info, &settings, 1));
    QCOMPARE(fake.seen()->crt.size, 99u);
    QCOMPARE(settings.crtHandlers, &mine);
  }

  void nineOfTenIsNotLoadedButStillWaitsOnExit() {
    FakeLibrary fake(FAKE_CRASHRPT_NINE);
    QVERIFY(fake.ok());
    fake.reset(1, 1);
    void *before = currentSegvHandler();
    {
      CrashReporter reporter(FAKE_CRASHRPT_NINE);
      QVERIFY(!reporter.loaded());
      QVERIFY(reporter.handlerInstalled());
      QVERIFY(reporter.entryPoints().InitCrashRpt != nullptr);
      QVERIFY(!reporter.entryPoints().GetVersionFromFile);
    }
    QCOMPARE(fake.readyCalls(), 2);
    QCOMPARE(currentSegvHandler(), before);
  }

  void fatalSignalWritesOneLineThenDies_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("name");
    QTest::newRow("segv") << "segv" << int(SIGSEGV) << "SIGSEGV";
    QTest::newRow("abort") << "abort" << int(SIGABRT) << "SIGABRT";
    QTest::newRow("other thread") << "thread" << int(SIGSEGV) << "SIGSEGV";
  }

  void fatalSignalWritesOneLineThenDies() {
    QFETCH(QString, mode);
    QFETCH(int, signal);
    QFETCH(QString, name);
    QTemporaryDir dir;
    QProcess child;
    startCrashChild(child, {dir.path(), mode});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    const QStringList lines = logLines(dir.path());
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].endsWith(QStringLiteral(" before the crash")));
    const QRegularExpression fatal(
        QStringLiteral("^\\((\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d)\\) Fatal: File:\\(\\) Line:\\(0\\) "
                       "fatal signal %1 \\(%2\\).*, backtrace: #0 \\S+.* #1 ")
            .arg(signal)
            .arg(name));
    const auto match = fatal.match(lines[1]);
    QVERIFY2(match.hasMatch(), qPrintable(lines[1]));
    QVERIFY(!lines[1].contains(QLatin1Char('\n')));
    // The handler computes local time without the C library; it must agree with it.
    const QDateTime stamp = QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    QVERIFY(stamp.isValid());
    QVERIFY(qAbs(stamp.secsTo(QDateTime::currentDateTime())) < 120);
  }

  void removedHandlerLetsTheSignalPassUnlogged() {
    QTemporaryDir dir;
    QProcess child;
    startCrashChild(child, {dir.path(), QStringLiteral("removed")});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    const QStringList lines = logLines(dir.path());
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines[0].endsWith(QStringLiteral(" before the crash")));
  }
};

QTEST_GUILESS_MAIN(TestCrashReporter)
#include "test_crashreporter.moc"

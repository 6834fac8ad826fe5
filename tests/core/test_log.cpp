#include "core/log.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <memory>
#include <vector>

namespace {

QByteArray readAll(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void logAt(QtMsgType type, const char *file, int line, const QString &msg) {
  const QMessageLogContext context(file, line, nullptr, "default");
  logMessageHandler(type, context, msg);
}

} // namespace

class TestLog : public QObject {
  Q_OBJECT
  std::unique_ptr<QTemporaryDir> m_dir;
  QDateTime m_now;

  QString expectedFile(const QString &day) const {
    return m_dir->path() + QStringLiteral("/log/rizhi_") + day + QStringLiteral(".txt");
  }

private slots:
  void init() {
    closeLog();
    m_dir = std::make_unique<QTemporaryDir>();
    setLogBaseDirectory(m_dir->path());
    m_now = QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9));
    setLogClock([this] { return m_now; });
  }

  void cleanup() {
    closeLog();
    setLogClock(nullptr);
    setLogBaseDirectory(QString());
  }

  void linesHaveTheExactFormat() {
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("hello 课堂 %1"));
    logAt(QtWarningMsg, "net/x.cpp", 42, QStringLiteral("w"));
    logAt(QtCriticalMsg, nullptr, 0, QStringLiteral("c"));
    logAt(QtFatalMsg, nullptr, 0, QStringLiteral("f"));
    logAt(QtInfoMsg, nullptr, 0, QStringLiteral("i"));
    logAt(QtMsgType(77), nullptr, 0, QStringLiteral("unknown"));
    const QByteArray expected = QStringLiteral(
                                    "(2024-03-05 07:08:09) Debug: File:() Line:(0) hello 课堂 %1\r\n"
                                    "(2024-03-05 07:08:09) Warning: File:(net/x.cpp) Line:(42) w\r\n"
                                    "(2024-03-05 07:08:09) Critical: File:() Line:(0) c\r\n"
                                    "(2024-03-05 07:08:09) Fatal: File:() Line:(0) f\r\n"
                                    "(2024-03-05 07:08:09) Info: File:() Line:(0) i\r\n"
                                    "(2024-03-05 07:08:09)  File:() Line:(0) unknown\r\n")
                                    .toUtf8();
    // Read while the file is still open: every line is on disk as soon as it is logged.
    QCOMPARE(currentLogFilePath(), expectedFile(QStringLiteral("2024_03_05")));
    QCOMPARE(readAll(expectedFile(QStringLiteral("2024_03_05"))), expected);
  }

  void appendsToAnExistingFileAndCreatesTheFolder() {
    QVERIFY(!QDir(m_dir->path() + QStringLiteral("/log")).exists());
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("one"));
    closeLog();
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("two"));
    const QByteArray text = readAll(expectedFile(QStringLiteral("2024_03_05")));
    QCOMPARE(text.count("\r\n"), 2);
    QVERIFY(text.indexOf(" one\r\n") < text.indexOf(" two\r\n"));
  }

  void dayIsTakenWhenTheFileOpens() {
    m_now = QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59));
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("before midnight"));
    m_now = QDateTime(QDate(2024, 3, 6), QTime(0, 0, 1));
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("after midnight"));
    QCOMPARE(readAll(expectedFile(QStringLiteral("2024_03_05"))),
             QByteArray("(2024-03-05 23:59:59) Debug: File:() Line:(0) before midnight\r\n"
                        "(2024-03-06 00:00:01) Debug: File:() Line:(0) after midnight\r\n"));
    QVERIFY(!QFile::exists(expectedFile(QStringLiteral("2024_03_06"))));

    closeLog();
    QVERIFY(currentLogFilePath().isEmpty());
    QCOMPARE(logFileDescriptor(), -1);
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("reopened"));
    QCOMPARE(readAll(expectedFile(QStringLiteral("2024_03_06"))),
             QByteArray("(2024-03-06 00:00:01) Debug: File:() Line:(0) reopened\r\n"));
  }

  void unwritableFolderLosesLinesSilently() {
    QFile blocker(m_dir->path() + QStringLiteral("/log"));
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("lost"));
    QVERIFY(currentLogFilePath().isEmpty());
    QCOMPARE(logFileDescriptor(), -1);
  }

  // Stamps are kept per second: a new second, a new clock or the system clock gives a new one.
  void stampFollowsTheClock() {
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("a"));
    m_now = m_now.addSecs(1);
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("b"));
    setLogClock([] { return QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9)); }); // the first second again
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("c"));
    setLogClock(nullptr);
    const QDateTime before = QDateTime::currentDateTime();
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("d"));
    const QDateTime after = QDateTime::currentDateTime();
    const QList<QByteArray> lines = readAll(expectedFile(QStringLiteral("2024_03_05"))).split('\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], QByteArray("(2024-03-05 07:08:09) Debug: File:() Line:(0) a\r"));
    QCOMPARE(lines[1], QByteArray("(2024-03-05 07:08:10) Debug: File:() Line:(0) b\r"));
    QCOMPARE(lines[2], QByteArray("(2024-03-05 07:08:09) Debug: File:() Line:(0) c\r"));
    // Local time, to the second.
    const QDateTime stamped = QDateTime::fromString(QString::fromLatin1(lines[3].mid(1, 19)),
                                                    QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    QVERIFY2(stamped >= before.addMSecs(-before.time().msec()) && stamped <= after, lines[3].constData());
    QVERIFY(lines[3].endsWith(") Debug: File:() Line:(0) d\r"));
  }

  void nonAsciiTextAndSourceFile() {
    logAt(QtWarningMsg, "课堂/x.cpp", 7, QStringLiteral("é 课堂 ok"));
    QCOMPARE(readAll(expectedFile(QStringLiteral("2024_03_05"))),
             QStringLiteral("(2024-03-05 07:08:09) Warning: File:(课堂/x.cpp) Line:(7) é 课堂 ok\r\n").toUtf8());
  }

  void threadsWriteWholeOrderedLines() {
    setLogClock(nullptr);
    constexpr int kThreads = 6;
    constexpr int kLines = 1500;
    std::atomic<bool> go{false};
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back(QThread::create([t, &go] {
        while (!go.load()) QThread::yieldCurrentThread();
        for (int i = 0; i < kLines; ++i)
          logAt(QtDebugMsg, nullptr, 0, QStringLiteral("t%1 n%2 payload-%3").arg(t).arg(i).arg(QString(40, QLatin1Char('x'))));
      }));
      threads.back()->start();
    }
    go.store(true);
    for (auto &th : threads) QVERIFY(th->wait(60000));

    const QList<QByteArray> lines = readAll(currentLogFilePath()).split('\n');
    QCOMPARE(lines.size(), kThreads * kLines + 1); // split leaves an empty tail
    QVERIFY(lines.last().isEmpty());
    const QRegularExpression shape(QStringLiteral(
        "^\\(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\) Debug: File:\\(\\) Line:\\(0\\) t(\\d) n(\\d+) payload-x{40}\\r$"));
    int next[kThreads] = {};
    for (int i = 0; i < lines.size() - 1; ++i) {
      const auto m = shape.match(QString::fromUtf8(lines[i]));
      QVERIFY2(m.hasMatch(), lines[i].constData());
      const int t = m.captured(1).toInt();
      QCOMPARE(m.captured(2).toInt(), next[t]);
      ++next[t];
    }
    for (int t = 0; t < kThreads; ++t) QCOMPARE(next[t], kLines);
  }
};

QTEST_GUILESS_MAIN(TestLog)
#include "test_log.moc"

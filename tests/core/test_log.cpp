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

  // What the backend helper, the shell and the classroom log: forms, JSON replies, the
  // portal's addresses and the picture store's header. No secret value may reach the file.
  void secretsAreMasked_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expected");
    QTest::newRow("form") << "szContent=phone=13800000001&token=ab12cd&roomnum=300101"
                          << "szContent=phone=13800000001&token=***&roomnum=300101";
    QTest::newRow("password form") << "phone=1&password=tarnwick01&new_password=x y"
                                   << "phone=1&password=***&new_password=*** y";
    QTest::newRow("json reply")
        << "content={\"data\":{\"userSig\":\"eJx1:9z\",\"authBuffer\":\"AQ==\",\"name\":\"张三\"}}"
        << "content={\"data\":{\"userSig\":\"***\",\"authBuffer\":\"***\",\"name\":\"张三\"}}";
    QTest::newRow("indented json") << "{\n    \"token\": \"ff00\",\n    \"roomGrant\": \"g.1\"\n}"
                                   << "{\n    \"token\": \"***\",\n    \"roomGrant\": \"***\"\n}";
    QTest::newRow("escaped json in json") << "{\"cmd\":\"{\\\"token\\\":\\\"t0k\\\"}\"}"
                                          << "{\"cmd\":\"{\\\"token\\\":\\\"***\\\"}\"}";
    QTest::newRow("signed picture address") << "GET http://h/storage/a.png?expires=99&sig=deadbeef"
                                            << "GET http://h/storage/a.png?expires=99&sig=***";
    QTest::newRow("header") << "Authorization: v1:public:u1:99:abc" << "Authorization: ***";
    QTest::newRow("signature key") << "signature=v1:public:u:1:f" << "signature=***";
    QTest::newRow("no secret") << "design: 3 signals granted, author Zhou" << "design: 3 signals granted, author Zhou";
  }

  void secretsAreMasked() {
    QFETCH(QString, message);
    QFETCH(QString, expected);
    logAt(QtDebugMsg, nullptr, 0, message);
    QCOMPARE(QString::fromUtf8(readAll(expectedFile(QStringLiteral("2024_03_05")))),
             QStringLiteral("(2024-03-05 07:08:09) Debug: File:() Line:(0) ") + expected + QStringLiteral("\r\n"));
  }

  // Other users of the machine can read neither the file nor a folder the log made; an older
  // file that was readable by all is closed up when it is opened again.
  void fileIsTheOwnersAlone() {
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("one"));
    const QString file = expectedFile(QStringLiteral("2024_03_05"));
    const auto ownerRw = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                        QFileDevice::WriteOther | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    QCOMPARE(QFile::permissions(file) & others, QFileDevice::Permissions());
    QVERIFY((QFile::permissions(file) & ownerRw) == ownerRw);
    QCOMPARE(QFile::permissions(m_dir->path() + QStringLiteral("/log")) & others, QFileDevice::Permissions());
    closeLog();
    QVERIFY(QFile::setPermissions(file, ownerRw | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    logAt(QtDebugMsg, nullptr, 0, QStringLiteral("two"));
    QCOMPARE(QFile::permissions(file) & others, QFileDevice::Permissions());
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

// The real program's remote-debugging port (127.0.0.1:21188): whoever reaches it drives the
// signed-in portal, so it is open only when TARNWICK_REMOTE_DEBUGGING is 1, and whatever else
// the environment or the command line asks for does not open it.

#include "core/browsersettings.h"
#include "scratchenv.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonArray>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kSignInPath = QStringLiteral("/client-login/login");

// Whether the debugging endpoint on 127.0.0.1:21188 lists a page of `origin`. Other programs
// on the machine may hold the port; only a page of this test's own server is ours.
bool debuggingListsPageOf(const QString &origin) {
  QNetworkAccessManager net;
  const QUrl url(QStringLiteral("http://127.0.0.1:%1/json/list").arg(kBrowserRemoteDebuggingPort));
  QScopedPointer<QNetworkReply> reply(net.get(QNetworkRequest(url)));
  if (!QTest::qWaitFor([&] { return reply->isFinished(); }, 5000)) return false;
  for (const QJsonValue &target : QJsonDocument::fromJson(reply->readAll()).array()) {
    if (target.toObject().value(QStringLiteral("url")).toString().startsWith(origin)) return true;
  }
  return false;
}

bool portIsFree() {
  QTcpSocket socket;
  socket.connectToHost(QStringLiteral("127.0.0.1"), kBrowserRemoteDebuggingPort);
  return !socket.waitForConnected(2000) && socket.error() == QAbstractSocket::ConnectionRefusedError;
}

} // namespace

class TestRemoteDebugging : public QObject {
  Q_OBJECT

  testsupport::HttpServer portal;
  QTemporaryDir folder;
  QProcess program;

  // Starts a copy of the program (its log goes beside it) and waits until its browser engine
  // asks for the sign-in page: by then the engine has opened whatever it was going to open.
  bool start(const QByteArray &switchValue, const QStringList &args = {}) {
    const QString exe = folder.path() + QStringLiteral("/quorvel");
    if (!QFile::exists(exe) && !QFile::copy(testenv::binDir() + QStringLiteral("/quorvel"), exe)) return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QString::fromLatin1(kRemoteDebuggingSwitch));
    if (!switchValue.isNull()) env.insert(QString::fromLatin1(kRemoteDebuggingSwitch), QString::fromLatin1(switchValue));
    env.insert(QStringLiteral("TARNWICK_PORTAL_URL"), portal.baseUrl());
    env.insert(QStringLiteral("TARNWICK_BACKEND_URL"), portal.baseUrl());
    program.setProcessEnvironment(env);
    const int before = signInRequests();
    program.start(exe, args);
    return program.waitForStarted(10000) &&
           QTest::qWaitFor([&] { return signInRequests() > before || program.state() == QProcess::NotRunning; }, 60000) &&
           program.state() == QProcess::Running;
  }
  int signInRequests() const {
    int n = 0;
    for (const testsupport::HttpRequest &r : portal.requests()) n += r.path == kSignInPath;
    return n;
  }

private slots:
  void initTestCase() {
    scratchenv::prepare();
    QVERIFY(folder.isValid());
    portal.route(kSignInPath, testsupport::HttpReply{200, "<!doctype html><title>sign in</title>", "text/html"});
  }
  void cleanup() {
    if (program.state() == QProcess::NotRunning) return;
    program.terminate();
    if (!program.waitForFinished(30000)) {
      program.kill();
      program.waitForFinished();
    }
  }

  // Neither an inherited engine setting nor a command-line switch opens it.
  void closedWithoutTheSwitch_data() {
    QTest::addColumn<QByteArray>("switchValue");
    QTest::newRow("unset") << QByteArray();
    QTest::newRow("0") << QByteArray("0");
    QTest::newRow("true") << QByteArray("true");
  }
  void closedWithoutTheSwitch() {
    QFETCH(QByteArray, switchValue);
    qputenv("QTWEBENGINE_REMOTE_DEBUGGING", QByteArray::number(kBrowserRemoteDebuggingPort));
    const bool started = start(switchValue, {QStringLiteral("--remote-debugging-port=%1").arg(kBrowserRemoteDebuggingPort)});
    qunsetenv("QTWEBENGINE_REMOTE_DEBUGGING");
    QVERIFY(started);
    QTest::qWait(1000);
    QVERIFY(program.state() == QProcess::Running);
    QVERIFY(!debuggingListsPageOf(portal.baseUrl()));
  }

  void openWithTheSwitch() {
    // Another program on this machine (a second checkout's tests) may hold the port a while.
    if (!QTest::qWaitFor(portIsFree, 120000)) QSKIP("another program holds 127.0.0.1:21188");
    QVERIFY(start("1"));
    QVERIFY(QTest::qWaitFor([&] { return debuggingListsPageOf(portal.baseUrl()); }, 30000));
  }
};

QTEST_MAIN(TestRemoteDebugging)
#include "test_remotedebugging.moc"

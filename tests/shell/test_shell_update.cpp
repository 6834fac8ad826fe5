// The update check: version comparison, what an answer means, and the whole flow from the
// shell's construction through the backend call to the questions, the upgrade program and
// the end of the event loop.

#include "boxdriver.h"
#include "scratchenv.h"

#include "core/deployment.h"
#include "shell/browserwindow.h"
#include "shell/updatecheck.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUuid>
#include <memory>

using testsupport::HttpReply;
using testsupport::HttpServer;
using UpdateCheck::Outcome;

namespace {

HttpReply envelope(int errorCode, const QVariantMap &data) {
  const QVariantMap reply{{"errorCode", errorCode}, {"errorInfo", errorCode ? "坏了" : ""}, {"data", data}};
  return HttpReply{200, QJsonDocument::fromVariant(reply).toJson(), "application/json", 0};
}

// Runs the application's event loop until something quits it, or until the time is up
// (then the result is -1). Quitting the loop is what the shell does after an upgrade.
int runUntilQuit(int limitMs) {
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
  limit.start(limitMs);
  return QCoreApplication::exec();
}

} // namespace

class TestShellUpdate : public QObject {
  Q_OBJECT
  std::unique_ptr<HttpServer> server;
  QTemporaryDir scratch;
  QString callsFile;

  QStringList upgradeCalls() {
    QFile f(callsFile);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }

  // A shell whose silent check receives `data` as the version answer.
  std::unique_ptr<BrowserWindow> shellAnswered(const QVariantMap &data) {
    server->route(QStringLiteral("/live-service/version"), envelope(0, data));
    return std::make_unique<BrowserWindow>();
  }

private slots:
  void initTestCase() {
    server = std::make_unique<HttpServer>();
    QVERIFY(server->isListening());
    callsFile = scratch.filePath(QStringLiteral("upgrade-calls.txt"));
    const QString script = scratch.filePath(QStringLiteral("upgrade"));
    QFile f(script);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\necho \"$#:$1\" >> '%1'\n").arg(callsFile).toUtf8());
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    Deployment d = Deployment::instance();
    d.backendUrl = server->baseUrl();
    d.portalUrl = server->baseUrl();
    d.upgradeProgram = script;
    Deployment::setInstance(d);
  }

  void cleanup() {
    BoxDriver::closeInformation();
    QFile::remove(callsFile);
  }

  void compareVersions_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("order");
    QTest::newRow("equal") << "3.7.5" << "3.7.5" << 0;
    QTest::newRow("older patch") << "3.7.4" << "3.7.5" << -1;
    QTest::newRow("two-digit minor") << "3.10.0" << "3.7.5" << 1;
    QTest::newRow("two-digit patch") << "3.7.10" << "3.7.5" << 1;
    QTest::newRow("two-digit both sides") << "3.10.2" << "3.9.12" << 1;
    QTest::newRow("missing part is zero") << "3.7" << "3.7.0" << 0;
    QTest::newRow("longer is newer") << "3.7.5.1" << "3.7.5" << 1;
    QTest::newRow("major wins") << "4.0" << "3.99.99" << 1;
    QTest::newRow("surrounding blanks") << " 3.7.5 " << "3.7.5" << 0;
  }

  void compareVersions() {
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, order);
    auto sign = [](int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); };
    QCOMPARE(sign(UpdateCheck::compareVersions(a, b)), order);
    QCOMPARE(sign(UpdateCheck::compareVersions(b, a)), -order);
  }

  void answersAgainstOwnVersion() {
    const QString own = QStringLiteral("3.7.5");
    QCOMPARE(UpdateCheck::evaluate(2, {{"version", "9.0.0"}}, own).kind, Outcome::Ignore);
    QCOMPARE(UpdateCheck::evaluate(0, {{"url", "http://x"}}, own).kind, Outcome::Ignore);
    QCOMPARE(UpdateCheck::evaluate(0, {{"version", "3.7.5"}}, own).kind, Outcome::UpToDate);
    QCOMPARE(UpdateCheck::evaluate(0, {{"version", "3.7.4"}}, own).kind, Outcome::UpToDate);

    const Outcome optional = UpdateCheck::evaluate(0, {{"version", "3.7.10"}, {"url", "http://d/x"}}, own);
    QCOMPARE(optional.kind, Outcome::Optional);
    QCOMPARE(optional.version, QStringLiteral("3.7.10"));
    QCOMPARE(optional.url, QStringLiteral("http://d/x"));

    const Outcome forced = UpdateCheck::evaluate(0, {{"version", "3.10.0"}, {"force", true}}, own);
    QCOMPARE(forced.kind, Outcome::Forced);
    QVERIFY(forced.url.isEmpty());
  }

  // Construction sends the silent check; the settings dialog's check says online=1.
  void checksSentWithOnlineFlag() {
    const int before = server->requestCount();
    auto shell = shellAnswered({{"version", "3.7.5"}});
    QSignalSpy spy(shell.get(), &BrowserWindow::versionCheck);
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("3.7.5"));
    shell->checkVersion(true);
    QVERIFY(spy.wait(5000));
    const auto requests = server->requests().mid(before);
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests.at(0).path, QStringLiteral("/live-service/version"));
    QCOMPARE(requests.at(0).params.value("online"), QStringLiteral("0"));
    QCOMPARE(requests.at(1).params.value("online"), QStringLiteral("1"));
    QVERIFY(BoxDriver::openInformation().isEmpty());
  }

  void failedCheckIsSilent() {
    server->route(QStringLiteral("/live-service/version"), envelope(5, {{"version", "9.9.9"}}));
    BoxDriver driver(true);
    BrowserWindow shell;
    QSignalSpy spy(&shell, &BrowserWindow::versionCheck);
    QCOMPARE(runUntilQuit(1500), -1);
    QCOMPARE(spy.count(), 0);
    QVERIFY(driver.questions().isEmpty());
    QVERIFY(BoxDriver::openInformation().isEmpty());
  }

  void optionalUpgradeDeclinedKeepsRunning() {
    BoxDriver driver(false);
    auto shell = shellAnswered({{"version", "3.7.10"}, {"url", "http://d/new.tar"}});
    QSignalSpy spy(shell.get(), &BrowserWindow::versionCheck);
    QCOMPARE(runUntilQuit(2000), -1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QCOMPARE(driver.questions(), QStringList{QStringLiteral("检查更新|检查到新版本的客户端，是否现在升级？")});
    QVERIFY(upgradeCalls().isEmpty());
  }

  void optionalUpgradeAcceptedStartsUpgradeAndQuits() {
    BoxDriver driver(true);
    auto shell = shellAnswered({{"version", "3.10.0"}, {"url", "http://d/new.tar"}});
    QCOMPARE(runUntilQuit(10000), 0);
    QTRY_COMPARE_WITH_TIMEOUT(upgradeCalls(), QStringList{QStringLiteral("1:http://d/new.tar")}, 5000);
  }

  void forcedUpgradeDeclinedStillQuits() {
    BoxDriver driver(false);
    auto shell = shellAnswered({{"version", "3.8.0"}, {"url", "http://d/new.tar"}, {"force", true}});
    QCOMPARE(runUntilQuit(10000), 0);
    QCOMPARE(driver.questions(),
             QStringList{QStringLiteral("检查更新|检查到新版本的客户端，需要升级后才能继续操作，是否现在升级？")});
    QTest::qWait(300);
    QVERIFY(upgradeCalls().isEmpty());
  }

  void forcedUpgradeWithoutUrlPassesEmptyArgument() {
    BoxDriver driver(true);
    auto shell = shellAnswered({{"version", "4.0"}, {"force", true}});
    QCOMPARE(runUntilQuit(10000), 0);
    QTRY_COMPARE_WITH_TIMEOUT(upgradeCalls(), QStringList{QStringLiteral("1:")}, 5000);
  }

  // The program shipped beside the executable records what it was asked to fetch.
  void shippedUpgradeProgramLogsItsArgument() {
    const QString program = testenv::binDir() + QStringLiteral("/upgrade");
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
    const QString url = QStringLiteral("http://127.0.0.1/d/%1.tar").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
    QProcess p;
    p.start(program, {url});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 0);
    QFile log(testenv::binDir() + QStringLiteral("/log/upgrade.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains(("url=" + url).toUtf8()));
  }
};

int main(int argc, char **argv) {
  scratchenv::prepare();
  QApplication app(argc, argv);
  // Only the shell's own exit may end the loop here, not the closing of the last box.
  app.setQuitOnLastWindowClosed(false);
  TestShellUpdate t;
  return QTest::qExec(&t, argc, argv);
}

#include "test_shell_update.moc"

// The update check: version comparison, what an answer means, and the whole flow from the
// shell's construction through the backend call to the questions, the upgrade program and
// the end of the event loop.

#include "boxdriver.h"
#include "scratchenv.h"

#include "core/deployment.h"
#include "shell/browserwindow.h"
#include "shell/updatecheck.h"
#include "shell/updatemanifest.h"
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

#include <sodium.h>

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

const QString kSha = QStringLiteral("9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08");

// An operator's signing key: the public half goes into the deployment record.
struct SigningKey {
  unsigned char pk[crypto_sign_PUBLICKEYBYTES];
  unsigned char sk[crypto_sign_SECRETKEYBYTES];
  SigningKey() { crypto_sign_keypair(pk, sk); }
  QString publicBase64() const { return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(pk), sizeof(pk)).toBase64()); }
  QString sign(const QByteArray &text) const {
    unsigned char sig[crypto_sign_BYTES];
    crypto_sign_detached(sig, nullptr, reinterpret_cast<const unsigned char *>(text.constData()), text.size(), sk);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(sig), sizeof(sig)).toBase64());
  }
};

// A version answer whose manifest the key signed.
QVariantMap signedAnswer(const SigningKey &key, const QString &version, const QString &url, bool force = false) {
  UpdateManifest::Manifest m{version, url, kSha, {}};
  return {{"version", version}, {"url", url}, {"force", force}, {"sha256", kSha},
          {"signature", key.sign(UpdateManifest::signedText(m))}};
}

} // namespace

class TestShellUpdate : public QObject {
  Q_OBJECT
  std::unique_ptr<HttpServer> server;
  QTemporaryDir scratch;
  QString callsFile;
  SigningKey key;

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
    f.write(QStringLiteral("#!/bin/sh\necho \"$#:$1:$2\" >> '%1'\n").arg(callsFile).toUtf8());
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    Deployment d = Deployment::instance();
    d.backendUrl = server->baseUrl();
    d.portalUrl = server->baseUrl();
    d.upgradeProgram = script;
    d.updateKey = key.publicBase64();
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

  // A failed check asks nothing and shows nothing, but says that it failed, so that the
  // settings dialog can offer the check again.
  void failedCheckIsReportedWithoutABox() {
    server->route(QStringLiteral("/live-service/version"), envelope(5, {{"version", "9.9.9"}}));
    BoxDriver driver(true);
    BrowserWindow shell;
    QSignalSpy spy(&shell, &BrowserWindow::versionCheck);
    QSignalSpy failed(&shell, SIGNAL(versionCheckFailed(QString)));
    QVERIFY(failed.isValid());
    QCOMPARE(runUntilQuit(1500), -1);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("坏了"));
    QVERIFY(driver.questions().isEmpty());
    QVERIFY(BoxDriver::openInformation().isEmpty());
    // An answer without a version fails the same way.
    server->route(QStringLiteral("/live-service/version"), envelope(0, {{"url", "https://d/x"}}));
    shell.checkVersion(true);
    QVERIFY(failed.wait(5000));
    QCOMPARE(failed.at(1).at(0).toString(), QStringLiteral("服务器未返回版本信息"));
  }

  void optionalUpgradeDeclinedKeepsRunning() {
    BoxDriver driver(false);
    auto shell = shellAnswered(signedAnswer(key, "3.7.10", "https://d/new.tar"));
    QSignalSpy spy(shell.get(), &BrowserWindow::versionCheck);
    QCOMPARE(runUntilQuit(2000), -1);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toBool(), false);
    QCOMPARE(driver.questions(), QStringList{QStringLiteral("检查更新|检查到新版本的客户端，是否现在升级？")});
    QVERIFY(upgradeCalls().isEmpty());
  }

  // The upgrade program gets the signed address and the download's hash, nothing else.
  void optionalUpgradeAcceptedStartsUpgradeAndQuits() {
    BoxDriver driver(true);
    auto shell = shellAnswered(signedAnswer(key, "3.10.0", "https://d/new.tar"));
    QCOMPARE(runUntilQuit(10000), 0);
    QTRY_COMPARE_WITH_TIMEOUT(upgradeCalls(), QStringList{QStringLiteral("2:https://d/new.tar:") + kSha}, 5000);
  }

  void forcedUpgradeDeclinedStillQuits() {
    BoxDriver driver(false);
    auto shell = shellAnswered(signedAnswer(key, "3.8.0", "https://d/new.tar", true));
    QCOMPARE(runUntilQuit(10000), 0);
    QCOMPARE(driver.questions(),
             QStringList{QStringLiteral("检查更新|检查到新版本的客户端，需要升级后才能继续操作，是否现在升级？")});
    QTest::qWait(300);
    QVERIFY(upgradeCalls().isEmpty());
  }

  // Plain http is taken only from the local service itself, on loopback.
  void localServiceOnLoopbackMayServeTheDownload() {
    BoxDriver driver(true);
    const QString url = server->baseUrl() + QStringLiteral("/files/new.tar");
    auto shell = shellAnswered(signedAnswer(key, "3.10.0", url));
    QCOMPARE(runUntilQuit(10000), 0);
    QTRY_COMPARE_WITH_TIMEOUT(upgradeCalls(), QStringList{QStringLiteral("2:") + url + QLatin1Char(':') + kSha}, 5000);
  }

  // Anything the pinned key did not sign, or an address that is not safe to fetch, is
  // refused with a message: no question, no upgrade program, and a forced update does not
  // end the program.
  void unsignedOrUnsafeUpdatesAreRefused_data() {
    QTest::addColumn<QVariantMap>("answer");
    QTest::addColumn<QString>("reason");
    const SigningKey other;
    QVariantMap tamperedUrl = signedAnswer(key, "3.9.0", "https://d/new.tar", true);
    tamperedUrl.insert("url", "https://evil.example/new.tar");
    QVariantMap tamperedHash = signedAnswer(key, "3.9.0", "https://d/new.tar");
    tamperedHash.insert("sha256", QString(kSha).replace(0, 1, QLatin1Char('0')));
    QVariantMap noSignature = signedAnswer(key, "3.9.0", "https://d/new.tar", true);
    noSignature.remove("signature");
    QVariantMap badHash = signedAnswer(key, "3.9.0", "https://d/new.tar");
    badHash.insert("sha256", "abc");
    QTest::newRow("no signature") << noSignature << "更新信息缺少有效签名";
    QTest::newRow("another key") << signedAnswer(other, "3.9.0", "https://d/new.tar", true) << "更新信息签名无效";
    QTest::newRow("address changed") << tamperedUrl << "更新信息签名无效";
    QTest::newRow("hash changed") << tamperedHash << "更新信息签名无效";
    QTest::newRow("malformed hash") << badHash << "更新文件的校验值无效";
    QTest::newRow("no address") << QVariantMap{{"version", "3.9.0"}, {"force", true}} << "更新信息不完整";
    QTest::newRow("plain http elsewhere") << signedAnswer(key, "3.9.0", "http://d/new.tar") << "更新地址不安全（须为https地址）";
    QTest::newRow("loopback, not the service")
        << signedAnswer(key, "3.9.0", "http://127.0.0.1:9/new.tar") << "更新地址不安全（须为https地址）";
    QTest::newRow("a local file") << signedAnswer(key, "3.9.0", "file:///tmp/new.tar", true) << "更新地址不安全（须为https地址）";
  }

  void unsignedOrUnsafeUpdatesAreRefused() {
    QFETCH(QVariantMap, answer);
    QFETCH(QString, reason);
    BoxDriver driver(true);
    auto shell = shellAnswered(answer);
    QSignalSpy spy(shell.get(), &BrowserWindow::versionCheck);
    QCOMPARE(runUntilQuit(1500), -1);
    QCOMPARE(spy.count(), 1);
    QVERIFY(driver.questions().isEmpty());
    QTRY_VERIFY(BoxDriver::openInformation().join(QString()).contains(reason));
    QVERIFY(BoxDriver::openInformation().join(QString()).contains(QStringLiteral("已拒绝升级")));
    QTest::qWait(200);
    QVERIFY(upgradeCalls().isEmpty());
  }

  // Without a pinned key no update is taken at all.
  void noPinnedKeyRefusesEveryUpdate() {
    Deployment d = Deployment::instance();
    const Deployment kept = d;
    d.updateKey.clear();
    Deployment::setInstance(d);
    BoxDriver driver(true);
    auto shell = shellAnswered(signedAnswer(key, "3.9.0", "https://d/new.tar", true));
    QCOMPARE(runUntilQuit(1500), -1);
    Deployment::setInstance(kept);
    QVERIFY(driver.questions().isEmpty());
    QVERIFY(BoxDriver::openInformation().join(QString()).contains(QStringLiteral("本机未配置更新签名公钥")));
    QVERIFY(upgradeCalls().isEmpty());
  }

  // The program shipped beside the executable records what it was asked to fetch.
  void shippedUpgradeProgramLogsItsArgument() {
    const QString program = testenv::binDir() + QStringLiteral("/upgrade");
    QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
    const QString url = QStringLiteral("http://127.0.0.1/d/%1.tar").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
    QProcess p;
    p.start(program, {url, kSha});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 0);
    QFile log(testenv::binDir() + QStringLiteral("/log/upgrade.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(log.readAll().contains(("url=" + url + " sha256=" + kSha).toUtf8()));
    // Without a hash to check the download against, it runs nothing.
    p.start(program, {url});
    QVERIFY(p.waitForFinished(5000));
    QVERIFY(p.exitCode() != 0);
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

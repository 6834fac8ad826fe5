#include "core/deployment.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QFile>

class TestDeployment : public QObject {
  Q_OBJECT
private slots:
  void iniValuesThenEnvironmentOverrides() {
    QTemporaryDir dir;
    QFile f(dir.path() + QStringLiteral("/deployment.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[deployment]\nportal_url=http://example.test:1\nsdk_appid=77\nbackend_url=http://b.test\n");
    f.close();
    qputenv("TARNWICK_BACKEND_URL", "http://env.test:9");
    const Deployment d = Deployment::load(dir.path());
    qunsetenv("TARNWICK_BACKEND_URL");
    QCOMPARE(d.portalUrl, QStringLiteral("http://example.test:1"));
    QCOMPARE(d.sdkAppId, 77);
    QCOMPARE(d.backendUrl, QStringLiteral("http://env.test:9"));
    QCOMPARE(d.hubUrl, QStringLiteral("ws://127.0.0.1:18081"));
  }

  void missingFileKeepsDefaultsAndBadNumberIsIgnored() {
    QTemporaryDir dir;
    qputenv("TARNWICK_SDK_ACCOUNT_TYPE", "not-a-number");
    const Deployment d = Deployment::load(dir.path());
    qunsetenv("TARNWICK_SDK_ACCOUNT_TYPE");
    QCOMPARE(d.sdkAccountType, 10234);
    QCOMPARE(d.upgradeProgram, QStringLiteral("upgrade"));
  }

  // The hub carries media unless the deployment picks Janus; only then is its address handed on.
  void mediaBackendIsHubUnlessJanusIsPicked() {
    QTemporaryDir dir;
    QCOMPARE(Deployment::load(dir.path()).mediaAddress(), QString());
    QFile f(dir.path() + QStringLiteral("/deployment.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[deployment]\nmedia=janus\njanus_url=ws://127.0.0.1:1\n");
    f.close();
    QCOMPARE(Deployment::load(dir.path()).mediaAddress(), QStringLiteral("ws://127.0.0.1:1"));
    qputenv("TARNWICK_MEDIA", "hub");
    const Deployment d = Deployment::load(dir.path());
    qunsetenv("TARNWICK_MEDIA");
    QCOMPARE(d.mediaAddress(), QString());
    QCOMPARE(d.janusUrl, QStringLiteral("ws://127.0.0.1:1"));
  }
};

QTEST_GUILESS_MAIN(TestDeployment)
#include "test_deployment.moc"

// Where the programs find their files: today's places beside the executable when run from a
// build folder, the system's and the XDG folders when installed under a prefix.

#include "core/places.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

namespace {

// Sets (or, with a null value, removes) an environment variable for one scope.
class EnvValue {
public:
  EnvValue(const char *name, const QByteArray &value) : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name)) {
    if (value.isNull()) qunsetenv(name);
    else qputenv(name, value);
  }
  ~EnvValue() {
    if (m_had) qputenv(m_name, m_old);
    else qunsetenv(m_name);
  }

private:
  const char *m_name;
  QByteArray m_old;
  bool m_had;
};

} // namespace

class TestPlaces : public QObject {
  Q_OBJECT
private slots:
  void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("quorvel")); }

  void buildFolderKeepsEverythingBesideTheExecutable_data() {
    QTest::addColumn<QString>("dir");
    QTest::newRow("build") << QStringLiteral("/work/tarnwick/build/bin");
    QTest::newRow("scratch copy") << QStringLiteral("/tmp/qt-XXXX");
    QTest::newRow("other lib folder") << QStringLiteral("/usr/lib/tarnwick-old");
    QTest::newRow("tarnwick, not under lib") << QStringLiteral("/opt/tarnwick");
  }
  void buildFolderKeepsEverythingBesideTheExecutable() {
    QFETCH(QString, dir);
    EnvValue state("XDG_STATE_HOME", "/state");
    EnvValue data("XDG_DATA_HOME", "/data");
    EnvValue cache("XDG_CACHE_HOME", "/cache");
    const Places places(dir);
    QVERIFY(!places.installed());
    QCOMPARE(places.programDir(), dir);
    QCOMPARE(places.sharedDataDir(), dir);
    QCOMPARE(places.deploymentDir(), dir);
    QCOMPARE(places.logBaseDir(), dir);
    QCOMPARE(places.browserCacheDir(), QStringLiteral("/data/quorvel/cefcache"));
  }

  void installedReadsFromThePrefixAndItsEtc_data() {
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("shared");
    QTest::addColumn<QString>("deployment");
    QTest::newRow("/usr") << QStringLiteral("/usr/lib/tarnwick") << QStringLiteral("/usr/share/tarnwick")
                          << QStringLiteral("/etc/tarnwick");
    QTest::newRow("trailing slash") << QStringLiteral("/usr/lib/tarnwick/") << QStringLiteral("/usr/share/tarnwick")
                                    << QStringLiteral("/etc/tarnwick");
    QTest::newRow("unpacked root") << QStringLiteral("/tmp/root/usr/lib/tarnwick")
                                   << QStringLiteral("/tmp/root/usr/share/tarnwick")
                                   << QStringLiteral("/tmp/root/etc/tarnwick");
    QTest::newRow("/usr/local") << QStringLiteral("/usr/local/lib/tarnwick") << QStringLiteral("/usr/local/share/tarnwick")
                                << QStringLiteral("/usr/local/etc/tarnwick");
    QTest::newRow("/opt") << QStringLiteral("/opt/school/lib/tarnwick") << QStringLiteral("/opt/school/share/tarnwick")
                          << QStringLiteral("/opt/school/etc/tarnwick");
  }
  void installedReadsFromThePrefixAndItsEtc() {
    QFETCH(QString, dir);
    QFETCH(QString, shared);
    QFETCH(QString, deployment);
    const Places places(dir);
    QVERIFY(places.installed());
    QCOMPARE(places.programDir(), QDir::cleanPath(dir));
    QCOMPARE(places.sharedDataDir(), shared);
    QCOMPARE(places.deploymentDir(), deployment);
  }

  void installedUserFilesFollowTheXdgFolders() {
    const Places places(QStringLiteral("/usr/lib/tarnwick"));
    EnvValue home("HOME", "/home/student");
    {
      EnvValue state("XDG_STATE_HOME", "/xdg/state");
      EnvValue cache("XDG_CACHE_HOME", "/xdg/cache");
      QCOMPARE(places.logBaseDir(), QStringLiteral("/xdg/state/quorvel"));
      QCOMPARE(places.browserCacheDir(), QStringLiteral("/xdg/cache/quorvel/cefcache"));
    }
    {
      EnvValue state("XDG_STATE_HOME", QByteArray());
      EnvValue cache("XDG_CACHE_HOME", QByteArray());
      QCOMPARE(places.logBaseDir(), QStringLiteral("/home/student/.local/state/quorvel"));
      QCOMPARE(places.browserCacheDir(), QStringLiteral("/home/student/.cache/quorvel/cefcache"));
    }
    // The XDG rule: a relative folder is not to be used.
    for (const QByteArray &ignored : {QByteArray(""), QByteArray("relative/state")}) {
      EnvValue state("XDG_STATE_HOME", ignored);
      QCOMPARE(places.logBaseDir(), QStringLiteral("/home/student/.local/state/quorvel"));
    }
  }

  void settingsAndKeyLiveInTheUsersConfigFolderEitherWay() {
    EnvValue config("XDG_CONFIG_HOME", "/xdg/config");
    QCOMPARE(Places::userConfigDir(), QStringLiteral("/xdg/config/brannock"));
    EnvValue unset("XDG_CONFIG_HOME", QByteArray());
    EnvValue home("HOME", "/home/student");
    QCOMPARE(Places::userConfigDir(), QStringLiteral("/home/student/.config/brannock"));
  }

  void thisProcessIsTheBuildFolder() {
    const Places places = Places::current();
    QVERIFY(!places.installed());
    QCOMPARE(places.programDir(), QCoreApplication::applicationDirPath());
  }
};

QTEST_GUILESS_MAIN(TestPlaces)
#include "test_places.moc"

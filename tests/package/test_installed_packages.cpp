// The Debian packages as a student gets them: both unpacked into a scratch root (dpkg -x),
// the service started from there, and the installed client started against it with an empty
// home. The client must show the sign-in page, keep the user's files in the XDG folders of
// that home, and write nothing under the root it was installed to.

#include "devtoolspage.h"
#include "support/localservice.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kVersion = QStringLiteral(TARNWICK_VERSION);
const QString kPhone = QStringLiteral("13800000001");
const QString kPassword = QStringLiteral("tarnwick01");
const QString kSignInTitle = QStringLiteral("登录 - Tarnwick");
constexpr quint16 kDebuggingPort = 21188;
constexpr int kProgramTimeoutMs = 60000;

struct Run {
  int exitCode = -1;
  QByteArray output;
};

Run run(const QString &program, const QStringList &args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  Run r;
  if (!p.waitForFinished(kProgramTimeoutMs)) return r;
  r.output = p.readAll();
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return r;
}

// Every entry under root with its size, time and mode: any file written, made or removed
// changes it (a file made and removed again changes its folder's time).
QMap<QString, QString> snapshot(const QString &root) {
  QMap<QString, QString> entries;
  QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo info(it.next());
    entries.insert(info.filePath().mid(root.size()),
                   QStringLiteral("%1 %2 %3").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch())
                       .arg(int(info.permissions()), 0, 16));
  }
  return entries;
}

QStringList filesIn(const QString &dir, const QString &pattern) {
  return QDir(dir).entryList({pattern}, QDir::Files);
}

} // namespace

class TestInstalledPackages : public QObject {
  Q_OBJECT

  QTemporaryDir m_scratch;
  QString m_root, m_home;
  QMap<QString, QString> m_debs; // package name -> file
  std::unique_ptr<LocalService> m_service;
  QProcess m_client;
  QMap<QString, QString> m_rootBefore;

  QString deb(const QString &name) const { return m_debs.value(name); }

  QString field(const QString &package, const char *name) const {
    return QString::fromUtf8(run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb(package), QLatin1String(name)})
                                 .output).trimmed();
  }

  QStringList contents(const QString &package) const {
    const Run listing = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb(package)});
    QStringList paths;
    for (const QByteArray &line : listing.output.split('\n')) {
      // "<mode> <owner> <size> <date> <time> ./path[ -> target]"
      const int at = line.indexOf(" ./");
      if (at >= 0) paths << QString::fromUtf8(line.mid(at + 2).split(' ').first());
    }
    return paths;
  }

  // The installed deployment.ini, pointed at this test's service.
  bool pointDeploymentAtService() {
    QFile ini(m_root + QStringLiteral("/etc/tarnwick/deployment.ini"));
    if (!ini.open(QIODevice::ReadOnly)) return false;
    QByteArray text = ini.readAll();
    ini.close();
    text.replace(":18080", ':' + QByteArray::number(m_service->httpPort()));
    text.replace(":18081", ':' + QByteArray::number(m_service->hubPort()));
    return ini.open(QIODevice::WriteOnly | QIODevice::Truncate) && ini.write(text) == text.size();
  }

  // What the student's desktop hands the program: an empty home, no XDG folders set, none of
  // the tests' overrides of the deployment values.
  QProcessEnvironment clientEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &key : env.keys())
      if (key.startsWith(QLatin1String("TARNWICK_")) || key.startsWith(QLatin1String("XDG_CONFIG")) ||
          key.startsWith(QLatin1String("XDG_DATA")) || key.startsWith(QLatin1String("XDG_CACHE")) ||
          key.startsWith(QLatin1String("XDG_STATE")))
        env.remove(key);
    env.insert(QStringLiteral("HOME"), m_home);
    // Lets the test reach the page through the browser's debugging port.
    env.insert(QStringLiteral("TARNWICK_REMOTE_DEBUGGING"), QStringLiteral("1"));
    return env;
  }

  QString settingsFile() const { return m_home + QStringLiteral("/.config/brannock/quorvel.ini"); }
  QString logFolder() const { return m_home + QStringLiteral("/.local/state/quorvel/log"); }
  QString cacheFolder() const { return m_home + QStringLiteral("/.cache/quorvel/cefcache"); }

private slots:
  void initTestCase() {
    QVERIFY(m_scratch.isValid());
    m_root = m_scratch.path() + QStringLiteral("/root");
    m_home = m_scratch.path() + QStringLiteral("/home");
    QVERIFY(QDir().mkpath(m_root) && QDir().mkpath(m_home));
    const QString packages = qEnvironmentVariable("TARNWICK_PACKAGE_DIR");
    for (const QString &name : {QStringLiteral("tarnwick-client"), QStringLiteral("tarnwick-local")}) {
      const QStringList found = filesIn(packages, name + QStringLiteral("_*.deb"));
      QVERIFY2(found.size() == 1, qPrintable(QStringLiteral("one %1 package in %2: %3").arg(name, packages, found.join(' '))));
      m_debs.insert(name, packages + QLatin1Char('/') + found.first());
      const Run unpack = run(QStringLiteral("dpkg"), {QStringLiteral("-x"), deb(name), m_root});
      QVERIFY2(unpack.exitCode == 0, unpack.output.constData());
    }
    // LocalService starts tarnwick-local from the bin folder it is given: the installed one.
    qputenv("TARNWICK_BIN_DIR", QFile::encodeName(m_root + QStringLiteral("/usr/bin")));
    m_service = std::make_unique<LocalService>();
    QVERIFY2(m_service->start(), qPrintable(m_service->errorString()));
    QVERIFY(pointDeploymentAtService());
    m_rootBefore = snapshot(m_root);
  }

  void cleanupTestCase() {
    if (m_client.state() != QProcess::NotRunning) {
      m_client.kill();
      m_client.waitForFinished();
    }
    if (m_service) m_service->stop();
  }

  void eachPackageHoldsItsFiles_data() {
    QTest::addColumn<QString>("package");
    QTest::addColumn<QString>("path");
    const QString client = QStringLiteral("tarnwick-client"), local = QStringLiteral("tarnwick-local");
    for (const char *path : {"/usr/bin/quorvel", "/usr/lib/tarnwick/quorvel", "/usr/lib/tarnwick/upgrade",
                             "/usr/share/tarnwick/png/emoji/image001.png", "/usr/share/tarnwick/png/emoji/image139.png",
                             "/usr/share/applications/tarnwick-client.desktop", "/etc/tarnwick/deployment.ini",
                             "/usr/share/doc/tarnwick-client/changelog.gz", "/usr/share/doc/tarnwick-client/copyright"})
      QTest::newRow(path) << client << QString::fromLatin1(path);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
      const QString icon = QStringLiteral("/usr/share/icons/hicolor/%1x%1/apps/tarnwick-client.png").arg(size);
      QTest::newRow(qPrintable(icon)) << client << icon;
    }
    for (const char *path : {"/usr/bin/tarnwick-local", "/usr/bin/tarnwick-teacher", "/usr/lib/tarnwick/tarnwick-local",
                             "/usr/lib/tarnwick/tarnwick-teacher", "/usr/share/tarnwick/documents/aaa.ppt.pdf",
                             "/usr/share/tarnwick/scenarios/demo-class.json", "/lib/systemd/system/tarnwick-local.service",
                             "/etc/tarnwick/tarnwick-local.conf", "/usr/share/doc/tarnwick-local/changelog.gz",
                             "/usr/share/doc/tarnwick-local/copyright"})
      QTest::newRow(path) << local << QString::fromLatin1(path);
  }
  void eachPackageHoldsItsFiles() {
    QFETCH(QString, package);
    QFETCH(QString, path);
    QVERIFY2(contents(package).contains(path), qPrintable(path));
  }

  void controlDataComesFromTheProjectAndTheLibraries() {
    for (const QString &package : m_debs.keys()) {
      QCOMPARE(field(package, "Package"), package);
      QCOMPARE(field(package, "Version"), kVersion);
      const Run changelog = run(QStringLiteral("sh"), {QStringLiteral("-c"),
          QStringLiteral("gzip -dc '%1/usr/share/doc/%2/changelog.gz' | head -n 1").arg(m_root, package)});
      QVERIFY2(changelog.output.startsWith("tarnwick (" + kVersion.toUtf8() + ")"), changelog.output.constData());
    }
    // dpkg-shlibdeps found the libraries the programs link.
    const QString clientDepends = field(QStringLiteral("tarnwick-client"), "Depends");
    for (const char *library : {"libqt5webenginewidgets5", "libsodium23", "libc6"})
      QVERIFY2(clientDepends.contains(QLatin1String(library)), qPrintable(clientDepends));
    const QString localDepends = field(QStringLiteral("tarnwick-local"), "Depends");
    QVERIFY2(localDepends.contains(QStringLiteral("tarnwick-client (= %1)").arg(kVersion)), qPrintable(localDepends));
    QVERIFY2(localDepends.contains(QLatin1String("libpoppler-qt5")), qPrintable(localDepends));
    const Run conffiles = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-I"), deb(QStringLiteral("tarnwick-local")),
                                                            QStringLiteral("conffiles")});
    QCOMPARE(conffiles.output.trimmed(), QByteArray("/etc/tarnwick/tarnwick-local.conf"));
  }

  // The service finds the faces and the lesson deck the packages put in /usr/share/tarnwick.
  void installedServiceServesTheSharedFiles() {
    const LocalService::Reply face = m_service->get(QStringLiteral("/static/png/emoji/image001.png"));
    QCOMPARE(face.httpStatus, 200);
    QVERIFY(face.body.startsWith("\x89PNG"));
    const LocalService::Reply page = m_service->get(QStringLiteral("/preview/aaa.ppt?cmd=doc_preview&of=pic&page=1"));
    QCOMPARE(page.httpStatus, 200);
    QVERIFY(page.body.startsWith("\x89PNG"));
  }

  // The address comes from the installed /etc/tarnwick/deployment.ini: no variable names it.
  void installedClientShowsTheSignInPage() {
    m_client.setProcessEnvironment(clientEnvironment());
    m_client.setProcessChannelMode(QProcess::ForwardedChannels);
    m_client.setWorkingDirectory(m_home);
    m_client.start(m_root + QStringLiteral("/usr/bin/quorvel"), QStringList());
    QVERIFY(m_client.waitForStarted(10000));
    DevToolsPage page;
    QVERIFY2(page.attach(kDebuggingPort, m_service->baseUrl(), kProgramTimeoutMs), "no page of the service appeared");
    QVERIFY2(page.waitFor(QStringLiteral("document.title"), kSignInTitle, 30000), qPrintable(page.url()));
    QVERIFY(page.waitFor(QStringLiteral("!!document.getElementById('loginForm')"), true, 10000));
    // The program's bridge reaches the page after the page itself; a sign-in before it would
    // store nothing, as on a loaded machine.
    QVERIFY(page.waitFor(QStringLiteral("!!(window.TwBridge && TwBridge.available())"), true, 30000));

    // Signing in stores the phone and the protected password.
    page.evaluate(QStringLiteral("document.getElementById('phone').value = '%1';"
                                 "document.getElementById('password').value = '%2';"
                                 "document.getElementById('remember').checked = true;"
                                 "document.getElementById('submit').click(); true").arg(kPhone, kPassword));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(m_home + QStringLiteral("/.config/brannock/quorvel.key")), 30000);
    m_client.terminate();
    QVERIFY(m_client.waitForFinished(kProgramTimeoutMs));
    QCOMPARE(m_client.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_client.exitCode(), 0);
  }

  void settingsAndKeyAreInTheXdgConfigFolder() {
    QSettings settings(settingsFile(), QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("phone")).toString(), kPhone);
    QCOMPARE(settings.value(QStringLiteral("encrypt")).toInt(), 1);
    QVERIFY(!settings.value(QStringLiteral("password")).toString().isEmpty());
    QVERIFY(settings.value(QStringLiteral("password")).toString() != kPassword);
    const QFileInfo key(m_home + QStringLiteral("/.config/brannock/quorvel.key"));
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                        QFile::ExeOther;
    QCOMPARE(key.permissions() & modeBits, QFile::ReadOwner | QFile::WriteOwner);
  }

  void logAndBrowserCacheAreInTheXdgStateAndCacheFolders() {
    const QStringList logs = filesIn(logFolder(), QStringLiteral("rizhi_*.txt"));
    QCOMPARE(logs.size(), 1);
    QFile log(logFolder() + QLatin1Char('/') + logs.first());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY2(text.contains("cachePath: " + QFile::encodeName(cacheFolder()) + "\r\n"), text.left(2000).constData());
    QVERIFY(QFileInfo(cacheFolder()).isDir());
    // The build folder's place of the cache stays unused.
    QVERIFY(!QFileInfo::exists(m_home + QStringLiteral("/.local/share/quorvel/cefcache")));
  }

  void nothingWasWrittenUnderTheInstallRoot() {
    QVERIFY(!m_service || m_service->stop()); // none when the engine did not start
    const QMap<QString, QString> after = snapshot(m_root);
    QStringList changed;
    for (auto it = after.begin(); it != after.end(); ++it)
      if (m_rootBefore.value(it.key()) != it.value()) changed << it.key();
    for (const QString &path : m_rootBefore.keys())
      if (!after.contains(path)) changed << path + QStringLiteral(" (removed)");
    QVERIFY2(changed.isEmpty(), qPrintable(changed.join('\n')));
  }
};

QTEST_GUILESS_MAIN(TestInstalledPackages)
#include "test_installed_packages.moc"

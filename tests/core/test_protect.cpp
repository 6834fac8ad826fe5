#include "core/protect.h"
#include "scratchhome.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace {

QStringList g_messages;

void capture(QtMsgType, const QMessageLogContext &, const QString &msg) { g_messages << msg; }

} // namespace

class TestProtect : public QObject {
  Q_OBJECT
  QtMessageHandler m_previous = nullptr;

private slots:
  void initTestCase() {
    QVERIFY(protectKeyFilePath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
  }
  void init() {
    g_messages.clear();
    m_previous = qInstallMessageHandler(capture);
  }
  void cleanup() { qInstallMessageHandler(m_previous); }

  void roundTrips_data() {
    QTest::addColumn<QString>("plain");
    QTest::newRow("ascii") << QStringLiteral("s3cret pass");
    QTest::newRow("chinese") << QStringLiteral("学生密码123");
    QTest::newRow("latin-1 and beyond") << QStringLiteral("Ünïcødé €∑😀");
    QTest::newRow("surrounding blanks") << QStringLiteral("  x  ");
  }
  void roundTrips() {
    QFETCH(QString, plain);
    const QString stored = protectString(plain);
    QVERIFY(!stored.isEmpty());
    QVERIFY(!stored.contains(plain));
    QVERIFY(QByteArray::fromBase64Encoding(stored.toLatin1(), QByteArray::AbortOnBase64DecodingErrors));
    QCOMPARE(unprotectString(stored), plain);
    // The blob is the UTF-8 bytes plus the terminating zero.
    QCOMPARE(g_messages.value(0), QStringLiteral("cbDataInput: %1").arg(plain.toUtf8().size() + 1));
  }

  void sameTextProtectsDifferently() {
    const QString a = protectString(QStringLiteral("same"));
    const QString b = protectString(QStringLiteral("same"));
    QVERIFY(a != b);
    QCOMPARE(unprotectString(a), unprotectString(b));
  }

  void emptyTextProtectsOneZeroByte() {
    const QString stored = protectString(QString());
    QVERIFY(!stored.isEmpty());
    QCOMPARE(g_messages.value(0), QStringLiteral("cbDataInput: 1"));
    g_messages.clear();
    QCOMPARE(unprotectString(stored), QString());
    QVERIFY(g_messages.isEmpty()); // a genuine empty secret, not a failure
  }

  void keyFileIsPrivate() {
    protectString(QStringLiteral("k"));
    const QFileInfo key(protectKeyFilePath());
    QVERIFY(key.exists());
    QCOMPARE(key.size(), 32);
    QCOMPARE(key.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
             QFile::Permissions());
  }

  void invalidInputGivesEmptyAndLogsError_data() {
    QTest::addColumn<QString>("stored");
    const QString good = protectString(QStringLiteral("密码"));
    QByteArray raw = QByteArray::fromBase64(good.toLatin1());
    raw[raw.size() - 3] = char(raw[raw.size() - 3] ^ 0x01);
    QTest::newRow("tampered ciphertext") << QString::fromLatin1(raw.toBase64());
    QByteArray truncated = QByteArray::fromBase64(good.toLatin1());
    truncated.chop(1);
    QTest::newRow("truncated") << QString::fromLatin1(truncated.toBase64());
    QTest::newRow("not base64") << QStringLiteral("this is *not* protected");
    QTest::newRow("too short") << QStringLiteral("AAAA");
    QTest::newRow("empty") << QString();
  }
  void invalidInputGivesEmptyAndLogsError() {
    QFETCH(QString, stored);
    g_messages.clear();
    QCOMPARE(unprotectString(stored), QString());
    QCOMPARE(g_messages.size(), 1);
    QVERIFY(g_messages[0].startsWith(QStringLiteral("error ")));
    bool ok = false;
    QVERIFY(g_messages[0].mid(6).toInt(&ok) != 0 && ok);
  }
};

SCRATCH_HOME_TEST_MAIN(QCoreApplication, TestProtect)
#include "test_protect.moc"

// The chat-picture store with a clock the test moves: what it keeps, what it serves back,
// and every refusal, each with its code and HTTP status and nothing written.
#include "service/credentialissuer.h"
#include "service/picturestore.h"
#include "service/serviceconfig.h"
#include "service/signer.h"
#include "support/testpicture.h"

#include <QDirIterator>
#include <QSet>
#include <QImage>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray kBoundary = "----0123456789abcdef0123456789abcdef";
const QByteArray kType = "multipart/form-data; boundary=" + kBoundary;
const QString kPath = QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-03-05/u7_1772719629.png");

QByteArray pngBytes() { return testpicture::png(QSize(16, 12), Qt::red); }

// The body exactly as the classroom builds it: no file name, a ";" after the part's name.
QByteArray body(const QByteArray &file, const QByteArray &fileType = "image/png", const QByteArray &op = "upload") {
  return "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"op\"\r\n\r\n" + op + "\r\n--" + kBoundary +
         "\r\nContent-Disposition: form-data; name=\"filecontent\";\r\nContent-Type: " + fileType + "\r\n\r\n" + file +
         "\r\n--" + kBoundary + "--\r\n";
}

} // namespace

class TestPictureStore : public QObject {
  Q_OBJECT
  qint64 m_nowMs = 1772719629000;
  Signer m_signer{QByteArray("store-test-secret")};
  CredentialIssuer m_credentials{m_signer, [this] { return m_nowMs; }};
  ServiceConfig m_config;
  std::unique_ptr<QTemporaryDir> m_folder;
  std::unique_ptr<PictureStore> m_store;

  QSet<QString> m_inClass{QStringLiteral("u7")}; // who sits in a class room now

  QByteArray signature(qint64 lifetimeS = 3600, const QString &bucket = QStringLiteral("public"),
                       const QString &userId = QStringLiteral("u7")) {
    return m_credentials.uploadSignature(bucket, userId, m_nowMs / 1000 + lifetimeS).toLatin1();
  }

  int filesKept() const {
    int n = 0;
    for (QDirIterator it(m_folder->path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next()) ++n;
    return n;
  }

private slots:
  void init() {
    m_config.baseUrl = QStringLiteral("http://127.0.0.1:18080");
    m_folder = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<PictureStore>(m_folder->path(), m_credentials, m_config);
    m_store->setMemberCheck([this](const QString &userId) { return m_inClass.contains(userId); });
  }

  void signedPngIsKeptAndServedAtItsAddress() {
    const QByteArray png = pngBytes();
    const ApiReply r = m_store->upload(kPath, signature(), kType, body(png));
    QCOMPARE(r.errorCode(), 0);
    QCOMPARE(r.httpStatus(), 200);
    QCOMPARE(r.data().value(QStringLiteral("access_url")).toString(), m_config.baseUrl + QStringLiteral("/storage") + kPath);
    const PageResponse served = m_store->download(kPath);
    QCOMPARE(served.status, 200);
    QCOMPARE(served.contentType, QByteArray("image/png"));
    QCOMPARE(served.body, png);
    QCOMPARE(filesKept(), 1);
    // The same address again replaces the picture.
    const QByteArray jpeg = QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(100, 'j');
    QCOMPARE(m_store->upload(kPath, signature(), kType, body(jpeg, "image/jpeg")).errorCode(), 0);
    QCOMPARE(m_store->download(kPath).body, jpeg);
    QCOMPARE(filesKept(), 1);
  }

  void signatureIsGoodUntilItsLastSecond() {
    const QByteArray sig = signature(600);
    m_nowMs += 599 * 1000;
    QCOMPARE(m_store->upload(kPath, sig, kType, body(pngBytes())).errorCode(), 0);
    m_nowMs += 1000;
    QCOMPARE(m_store->upload(kPath, sig, kType, body(pngBytes())).errorCode(), int(ApiError::BadUploadSignature));
  }

  void refusals_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("auth");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("status");
    const QByteArray png = pngBytes();
    const QByteArray sig = signature();
    QTest::newRow("no signature") << kPath << QByteArray() << kType << body(png) << int(ApiError::NoUploadSignature) << 401;
    QTest::newRow("forged signature") << kPath << QByteArray(sig).replace(sig.size() - 4, 4, "0000") << kType << body(png)
                                      << int(ApiError::BadUploadSignature) << 403;
    QTest::newRow("signature of another bucket")
        << kPath << signature(3600, QStringLiteral("private")) << kType << body(png) << int(ApiError::BadUploadSignature) << 403;
    QTest::newRow("uploader in no class room")
        << kPath << signature(3600, QStringLiteral("public"), QStringLiteral("u8")) << kType << body(png)
        << int(ApiError::NotInRoom) << 403;
    QTest::newRow("text declared as a picture")
        << kPath << sig << kType << body("just some text") << int(ApiError::NotAnImage) << 415;
    QTest::newRow("picture declared as text")
        << kPath << sig << kType << body(png, "text/plain") << int(ApiError::NotAnImage) << 415;
    QByteArray huge = png;
    huge.append(QByteArray(PictureStore::MaxPictureBytes + 1 - png.size(), '\0'));
    QTest::newRow("one byte over 10 MiB") << kPath << sig << kType << body(huge) << int(ApiError::PictureTooLarge) << 413;
    QTest::newRow("climbing out of the day")
        << QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-03-05/../../../../escape.png") << sig << kType
        << body(png) << int(ApiError::BadStoragePath) << 400;
    QTest::newRow("name with a slash")
        << QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-03-05/a/b.png") << sig << kType << body(png)
        << int(ApiError::BadStoragePath) << 400;
    QTest::newRow("other folder") << QStringLiteral("/files/v2/1250000000/public/avatars/2026-03-05/u7_1.png") << sig
                                  << kType << body(png) << int(ApiError::BadStoragePath) << 400;
    QTest::newRow("not a picture name")
        << QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-03-05/u7_1.sh") << sig << kType << body(png)
        << int(ApiError::BadStoragePath) << 400;
    QTest::newRow("not multipart") << kPath << sig << QByteArray("image/png") << png << int(ApiError::BadUpload) << 400;
    QTest::newRow("cut short") << kPath << sig << kType << body(png).chopped(12) << int(ApiError::BadUpload) << 400;
    QTest::newRow("another boundary") << kPath << sig << QByteArray("multipart/form-data; boundary=other") << body(png)
                                      << int(ApiError::BadUpload) << 400;
    QTest::newRow("op other than upload")
        << kPath << sig << kType << body(png, "image/png", "delete") << int(ApiError::BadUpload) << 400;
  }
  void refusals() {
    QFETCH(QString, path);
    QFETCH(QByteArray, auth);
    QFETCH(QByteArray, contentType);
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    QFETCH(int, status);
    const ApiReply r = m_store->upload(path, auth, contentType, body);
    QCOMPARE(r.errorCode(), code);
    QCOMPARE(r.httpStatus(), status);
    QVERIFY(!r.errorInfo().isEmpty());
    QCOMPARE(filesKept(), 0);
    QVERIFY(QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
  }

  void expiredSignatureIsRefused() {
    const QByteArray sig = signature(60);
    m_nowMs += 3600 * 1000;
    const ApiReply r = m_store->upload(kPath, sig, kType, body(pngBytes()));
    QCOMPARE(r.errorCode(), int(ApiError::BadUploadSignature));
    QCOMPARE(r.httpStatus(), 403);
    QCOMPARE(filesKept(), 0);
  }

  void storeWithoutMembershipRefusesEveryone() {
    PictureStore unhooked(m_folder->path(), m_credentials, m_config);
    QCOMPARE(unhooked.upload(kPath, signature(), kType, body(pngBytes())).errorCode(), int(ApiError::NotInRoom));
    QCOMPARE(filesKept(), 0);
  }

  void downloadsOutsideTheStoreAreNotFound() {
    QCOMPARE(m_store->download(kPath).status, 404);
    QCOMPARE(m_store->download(QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-03-05/../../../../../etc/passwd")).status, 404);
  }
};

QTEST_GUILESS_MAIN(TestPictureStore)
#include "test_picturestore.moc"

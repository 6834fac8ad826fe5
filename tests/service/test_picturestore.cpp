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
    m_config.storageAccount = QStringLiteral("1250000000");
    m_folder = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<PictureStore>(m_folder->path(), m_credentials, m_config);
    m_store->setMemberCheck([this](const QString &userId) { return m_inClass.contains(userId); });
  }

  QByteArray readGrant(const QString &path, qint64 lifetimeS = 60) const {
    return m_credentials.pictureReadQuery(path, m_nowMs / 1000 + lifetimeS).toLatin1();
  }

  void signedPngIsKeptAndServedAtItsAddress() {
    const QByteArray png = pngBytes();
    const ApiReply r = m_store->upload(kPath, signature(), kType, body(png));
    QCOMPARE(r.errorCode(), 0);
    QCOMPARE(r.httpStatus(), 200);
    const QString url = r.data().value(QStringLiteral("access_url")).toString();
    const QString plain = m_config.baseUrl + QStringLiteral("/storage") + kPath + QLatin1Char('?');
    QVERIFY2(url.startsWith(plain), qPrintable(url));
    const PageResponse served = m_store->download(kPath, url.mid(plain.size()).toLatin1());
    QCOMPARE(served.status, 200);
    QCOMPARE(served.contentType, QByteArray("image/png"));
    QCOMPARE(served.body, png);
    QCOMPARE(filesKept(), 1);
  }

  // Nobody replaces a stored picture, its uploader included: the second upload is refused
  // and the first picture stays as it was.
  void storedPictureIsNeverReplaced() {
    const QByteArray png = pngBytes();
    QCOMPARE(m_store->upload(kPath, signature(), kType, body(png)).errorCode(), 0);
    const QByteArray jpeg = QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(100, 'j');
    const ApiReply again = m_store->upload(kPath, signature(), kType, body(jpeg, "image/jpeg"));
    QCOMPARE(again.errorCode(), int(ApiError::PictureExists));
    QCOMPARE(again.httpStatus(), 409);
    QCOMPARE(m_store->download(kPath, readGrant(kPath)).body, png);
    QCOMPARE(filesKept(), 1);
  }

  // Reading needs the grant of the answer: for this path, unaltered, and not expired.
  void readingNeedsAFreshGrantForThePath() {
    QCOMPARE(m_store->upload(kPath, signature(), kType, body(pngBytes())).errorCode(), 0);
    const QByteArray grant = readGrant(kPath, 60);
    QCOMPARE(m_store->download(kPath, grant).status, 200);
    QCOMPARE(m_store->download(kPath, QByteArray()).status, 403);
    QByteArray altered = grant;
    altered[altered.size() - 1] = altered.endsWith('0') ? '1' : '0';
    QCOMPARE(m_store->download(kPath, altered).status, 403);
    const QString other = QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-03-05/u7_1.png");
    QCOMPARE(m_store->download(kPath, readGrant(other)).status, 403);
    // A later expiry written into a genuine grant breaks its signature.
    QByteArray stretched = grant;
    stretched.replace(QByteArray::number(m_nowMs / 1000 + 60), QByteArray::number(m_nowMs / 1000 + 6000));
    QCOMPARE(m_store->download(kPath, stretched).status, 403);
    m_nowMs += 59 * 1000;
    QCOMPARE(m_store->download(kPath, grant).status, 200);
    m_nowMs += 1000;
    QCOMPARE(m_store->download(kPath, grant).status, 403);
    QCOMPARE(m_store->download(kPath, grant).body, QStringLiteral("图片地址无效或已过期").toUtf8());
  }

  // One uploader fills only its own share of a day; a classmate still uploads.
  void eachUploaderHasADailyQuota() {
    const QString day = QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-03-05/%1_%2.png");
    const QByteArray png = pngBytes();
    for (int i = 0; i < PictureStore::MaxPicturesPerDay; ++i)
      QCOMPARE(m_store->upload(day.arg(QStringLiteral("u7")).arg(i), signature(), kType, body(png)).errorCode(), 0);
    const ApiReply full = m_store->upload(day.arg(QStringLiteral("u7")).arg(-1), signature(), kType, body(png));
    QCOMPARE(full.errorCode(), int(ApiError::PictureQuotaFull));
    QCOMPARE(full.httpStatus(), 429);
    m_inClass.insert(QStringLiteral("u9"));
    const QByteArray classmate = signature(3600, QStringLiteral("public"), QStringLiteral("u9"));
    QCOMPARE(m_store->upload(day.arg(QStringLiteral("u9")).arg(1), classmate, kType, body(png)).errorCode(), 0);
    QCOMPARE(filesKept(), PictureStore::MaxPicturesPerDay + 1);
  }

  void dailyQuotaCountsBytes() {
    const QString day = QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-03-05/u7_%1.png");
    const QByteArray big = pngBytes() + QByteArray(PictureStore::MaxPictureBytes - 1024, '\0');
    const int fit = int(PictureStore::MaxBytesPerDay / big.size());
    for (int i = 0; i < fit; ++i) QCOMPARE(m_store->upload(day.arg(i), signature(), kType, body(big)).errorCode(), 0);
    QCOMPARE(m_store->upload(day.arg(fit), signature(), kType, body(big)).errorCode(), int(ApiError::PictureQuotaFull));
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
    // Bound to the uploader: the deployment's own account, a name that starts with the
    // signature's user id, a real day next to today.
    QTest::newRow("another storage account")
        << QStringLiteral("/files/v2/1250000001/public/chatPicture/2026-03-05/u7_1.png") << sig << kType << body(png)
        << int(ApiError::BadStoragePath) << 403;
    QTest::newRow("a classmate's name")
        << QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-03-05/u8_1772719629.png") << sig << kType
        << body(png) << int(ApiError::BadStoragePath) << 403;
    QTest::newRow("a name that only begins like the uploader's")
        << QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-03-05/u77_1.png") << sig << kType << body(png)
        << int(ApiError::BadStoragePath) << 403;
    QTest::newRow("month 99") << QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-99-99/u7_1.png") << sig
                              << kType << body(png) << int(ApiError::BadStoragePath) << 400;
    QTest::newRow("30 February") << QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-02-30/u7_1.png") << sig
                                 << kType << body(png) << int(ApiError::BadStoragePath) << 400;
    QTest::newRow("a day far from today")
        << QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-03-08/u7_1.png") << sig << kType << body(png)
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
    QCOMPARE(m_store->download(kPath, readGrant(kPath)).status, 404);
    const QString escape = QStringLiteral("/files/v2/1250000000/public/chatPicture/2026-03-05/../../../../../etc/passwd");
    QCOMPARE(m_store->download(escape, readGrant(escape)).status, 404);
  }
};

QTEST_GUILESS_MAIN(TestPictureStore)
#include "test_picturestore.moc"

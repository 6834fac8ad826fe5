// Chat pictures through tarnwick-local as the classroom sends them: a signature from
// chat-service, a signed multipart POST to the store, the picture served at access_url.
#include "service/credentialissuer.h"
#include "service/signer.h"
#include "support/servicemember.h"
#include "support/localservice.h"
#include "support/testpicture.h"

#include <QDate>
#include <QEventLoop>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>

namespace {

const QByteArray kBoundary = "----fedcba9876543210fedcba9876543210";
// The store's own account, today's folder; %1 names the uploader.
QString storePath(const QString &uploader, int n = 1772719629) {
  return QStringLiteral("/files/v2/tarnwick-local/public/chatPicture/%1/%2_%3.png")
      .arg(QDate::currentDate().toString(Qt::ISODate), uploader)
      .arg(n);
}

QByteArray pngBytes() { return testpicture::png(QSize(20, 10), Qt::blue); }

struct Answer {
  int status = 0;
  QByteArray body;
};

QByteArray multipart(const QByteArray &png) {
  const QByteArray start = "--" + kBoundary;
  return start + "\r\nContent-Disposition: form-data; name=\"op\"\r\n\r\nupload\r\n" + start +
         "\r\nContent-Disposition: form-data; name=\"filecontent\";\r\nContent-Type: image/png\r\n\r\n" + png +
         "\r\n--" + kBoundary + "--\r\n";
}

Answer post(const QString &url, const QByteArray &authorization, const QByteArray &png, bool cutShort = false) {
  QByteArray body = multipart(png);
  if (cutShort) body.chop(12);
  QNetworkAccessManager manager;
  QNetworkRequest request{QUrl(url)};
  request.setHeader(QNetworkRequest::ContentTypeHeader, "multipart/form-data; boundary=" + kBoundary);
  request.setRawHeader("Authorization", authorization);
  QNetworkReply *reply = manager.post(request, body);
  QEventLoop loop;
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  loop.exec();
  Answer a{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
  delete reply;
  return a;
}

} // namespace

class TestServicePictures : public QObject {
  Q_OBJECT
  LocalService m_service;
  QString m_token;
  std::unique_ptr<ServiceMember> m_inClass; // the uploader, in its class room on the hub

  QByteArray uploadSignature(const QString &token) const {
    const LocalService::Reply sig = m_service.call(
        QStringLiteral("chat-service"), QStringLiteral("cos_multi_effect_signature2"),
        {{QStringLiteral("bucketName"), QStringLiteral("public")}, {QStringLiteral("expired"), QStringLiteral("3600")},
         {QStringLiteral("token"), token}});
    return sig.data().value(QStringLiteral("signature")).toString().toLatin1();
  }
  QByteArray uploadSignature() const { return uploadSignature(m_token); }

  // What a GET of the picture answers with a genuine read grant: 404 once nothing is stored.
  int readStatus(const QString &path) const {
    const Signer signer(m_service.secret());
    const QString grant = CredentialIssuer(signer).pictureReadQuery(path, QDateTime::currentSecsSinceEpoch() + 60);
    return m_service.get(QStringLiteral("/storage") + path + QLatin1Char('?') + grant).httpStatus;
  }

private slots:
  void initTestCase() {
    QVERIFY2(m_service.start(), qPrintable(m_service.errorString()));
    m_token = m_service.signIn(QStringLiteral("13800000001"), QStringLiteral("tarnwick01"));
    QVERIFY(!m_token.isEmpty());
    m_inClass = std::make_unique<ServiceMember>(m_service, QStringLiteral("s10001"));
    QVERIFY(m_inClass->enter(300101, QStringLiteral("Guest")));
  }
  void cleanupTestCase() {
    m_inClass.reset();
    QVERIFY(m_service.stop());
  }

  // The answer's address carries its read grant, as a chat page's <img> uses it; without
  // the grant the picture is not served.
  void signedUploadIsServedBackUnchanged() {
    const QByteArray signature = uploadSignature();
    QVERIFY(!signature.isEmpty());
    const QByteArray png = pngBytes();
    const QString path = storePath(QStringLiteral("s10001"));
    const Answer a = post(m_service.baseUrl() + QStringLiteral("/storage") + path, signature, png);
    QVERIFY2(a.status == 200, a.body.constData());
    const QJsonObject envelope = QJsonDocument::fromJson(a.body).object();
    const QString url = envelope.value(QStringLiteral("data")).toObject().value(QStringLiteral("access_url")).toString();
    const QString plain = m_service.baseUrl() + QStringLiteral("/storage") + path;
    QVERIFY2(url.startsWith(plain + QStringLiteral("?expires=")), qPrintable(url));
    const LocalService::Reply served = m_service.get(url.mid(m_service.baseUrl().size()));
    QCOMPARE(served.httpStatus, 200);
    QCOMPARE(served.contentType, QByteArray("image/png"));
    QCOMPARE(served.body, png);
    QCOMPARE(m_service.get(QStringLiteral("/storage") + path).httpStatus, 403);
    // The same address again replaces nothing.
    QCOMPARE(post(plain, signature, pngBytes()).status, 409);
  }

  void unsignedUploadIsRefusedOverHttp() {
    const QString path = storePath(QStringLiteral("s10001"), 2);
    const Answer a = post(m_service.baseUrl() + QStringLiteral("/storage") + path, QByteArray(), pngBytes());
    QCOMPARE(a.status, 401);
    QCOMPARE(QJsonDocument::fromJson(a.body).object().value(QStringLiteral("errorCode")).toInt(), 10018);
    QCOMPARE(readStatus(path), 404);
  }

  // A genuine signature of a signed-in account that sits in no class room stores nothing.
  void uploadOfAnAccountOutsideAnyClassIsRefused() {
    const QString token = m_service.signIn(QStringLiteral("13800000002"), QStringLiteral("tarnwick02"));
    QVERIFY(!token.isEmpty());
    const QByteArray signature = uploadSignature(token);
    QVERIFY(!signature.isEmpty());
    const QString path = storePath(QStringLiteral("s10002"));
    const Answer a = post(m_service.baseUrl() + QStringLiteral("/storage") + path, signature, pngBytes());
    QCOMPARE(a.status, 403);
    QCOMPARE(QJsonDocument::fromJson(a.body).object().value(QStringLiteral("errorCode")).toInt(), 10010);
    QCOMPARE(readStatus(path), 404);
    // Once in class, the same signature works.
    ServiceMember student(m_service, QStringLiteral("s10002"));
    QVERIFY(student.enter(300101, QStringLiteral("Guest")));
    QCOMPARE(post(m_service.baseUrl() + QStringLiteral("/storage") + path, signature, pngBytes()).status, 200);
  }

  // One student's signature writes neither under a classmate's name nor into a day that
  // does not exist.
  void uploadsAreBoundToTheUploader() {
    const QByteArray signature = uploadSignature();
    const QString classmates = storePath(QStringLiteral("s10002"), 7);
    QCOMPARE(post(m_service.baseUrl() + QStringLiteral("/storage") + classmates, signature, pngBytes()).status, 403);
    QCOMPARE(readStatus(classmates), 404);
    const QString noDay = QStringLiteral("/files/v2/tarnwick-local/public/chatPicture/2026-99-99/s10001_1.png");
    QCOMPARE(post(m_service.baseUrl() + QStringLiteral("/storage") + noDay, signature, pngBytes()).status, 400);
  }

  void brokenMultipartIsRefused() {
    const QString path = storePath(QStringLiteral("s10001"), 3);
    const Answer a = post(m_service.baseUrl() + QStringLiteral("/storage") + path, uploadSignature(), pngBytes(), true);
    QCOMPARE(a.status, 400);
    QCOMPARE(readStatus(path), 404);
  }

  void encodedDotsDoNotLeaveTheStore() {
    const Answer a = post(m_service.baseUrl() +
                              QStringLiteral("/storage/files/v2/tarnwick-local/public/chatPicture/%2e%2e/%2e%2e/x.png"),
                          "v1:public:u1:1:00", pngBytes());
    QCOMPARE(a.status, 400);
    QCOMPARE(QJsonDocument::fromJson(a.body).object().value(QStringLiteral("errorCode")).toInt(), 10022);
  }
};

QTEST_GUILESS_MAIN(TestServicePictures)
#include "test_service_pictures.moc"

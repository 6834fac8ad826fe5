// Chat pictures through tarnwick-local as the classroom sends them: a signature from
// chat-service, a signed multipart POST to the store, the picture served at access_url.
#include "support/servicemember.h"
#include "support/localservice.h"
#include "support/testpicture.h"

#include <QEventLoop>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>

namespace {

const QByteArray kBoundary = "----fedcba9876543210fedcba9876543210";
const QString kAddress = QStringLiteral("/storage/files/v2/1250000000/public/chatPicture/2026-03-05/%1_1772719629.png");

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

  void signedUploadIsServedBackUnchanged() {
    const QByteArray signature = uploadSignature();
    QVERIFY(!signature.isEmpty());
    const QByteArray png = pngBytes();
    const QString address = kAddress.arg(QStringLiteral("u1"));
    const Answer a = post(m_service.baseUrl() + address, signature, png);
    QVERIFY2(a.status == 200, a.body.constData());
    const QJsonObject envelope = QJsonDocument::fromJson(a.body).object();
    const QString url = envelope.value(QStringLiteral("data")).toObject().value(QStringLiteral("access_url")).toString();
    QCOMPARE(url, m_service.baseUrl() + address);
    const LocalService::Reply served = m_service.get(address);
    QCOMPARE(served.httpStatus, 200);
    QCOMPARE(served.contentType, QByteArray("image/png"));
    QCOMPARE(served.body, png);
  }

  void unsignedUploadIsRefusedOverHttp() {
    const Answer a = post(m_service.baseUrl() + kAddress.arg(QStringLiteral("u2")), QByteArray(), pngBytes());
    QCOMPARE(a.status, 401);
    QCOMPARE(QJsonDocument::fromJson(a.body).object().value(QStringLiteral("errorCode")).toInt(), 10018);
    QCOMPARE(m_service.get(kAddress.arg(QStringLiteral("u2"))).httpStatus, 404);
  }

  // A genuine signature of a signed-in account that sits in no class room stores nothing.
  void uploadOfAnAccountOutsideAnyClassIsRefused() {
    const QString token = m_service.signIn(QStringLiteral("13800000002"), QStringLiteral("tarnwick02"));
    QVERIFY(!token.isEmpty());
    const QByteArray signature = uploadSignature(token);
    QVERIFY(!signature.isEmpty());
    const Answer a = post(m_service.baseUrl() + kAddress.arg(QStringLiteral("u4")), signature, pngBytes());
    QCOMPARE(a.status, 403);
    QCOMPARE(QJsonDocument::fromJson(a.body).object().value(QStringLiteral("errorCode")).toInt(), 10010);
    QCOMPARE(m_service.get(kAddress.arg(QStringLiteral("u4"))).httpStatus, 404);
    // Once in class, the same signature works.
    ServiceMember student(m_service, QStringLiteral("s10002"));
    QVERIFY(student.enter(300101, QStringLiteral("Guest")));
    QCOMPARE(post(m_service.baseUrl() + kAddress.arg(QStringLiteral("u4")), signature, pngBytes()).status, 200);
  }

  void brokenMultipartIsRefused() {
    const Answer a = post(m_service.baseUrl() + kAddress.arg(QStringLiteral("u3")), uploadSignature(), pngBytes(), true);
    QCOMPARE(a.status, 400);
    QCOMPARE(m_service.get(kAddress.arg(QStringLiteral("u3"))).httpStatus, 404);
  }

  void encodedDotsDoNotLeaveTheStore() {
    const Answer a = post(m_service.baseUrl() +
                              QStringLiteral("/storage/files/v2/1250000000/public/chatPicture/%2e%2e/%2e%2e/x.png"),
                          "v1:public:u1:1:00", pngBytes());
    QCOMPARE(a.status, 400);
    QCOMPARE(QJsonDocument::fromJson(a.body).object().value(QStringLiteral("errorCode")).toInt(), 10022);
  }
};

QTEST_GUILESS_MAIN(TestServicePictures)
#include "test_service_pictures.moc"

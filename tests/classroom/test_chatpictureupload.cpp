// The chat picture's upload against a loopback store: the address, the multipart body byte
// for byte, the Authorization header, the signature's renewal, the answer's two outputs,
// and a second picture in the same second keeping its own address.
#include "classroom/chatpictureupload.h"
#include "support/httpserver.h"

#include <QJsonDocument>
#include <QNetworkReply>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using testsupport::HttpReply;
using testsupport::HttpServer;

namespace {

const QDateTime kNow(QDate(2026, 3, 5), QTime(14, 7, 9));
const QString kAccount = QStringLiteral("1250000000");
const QByteArray kStoreAnswer = R"({"data":{"access_url":"http://store.example/pic.png"}})";
// Bytes a text conversion would spoil: CR LF, NUL, high bytes.
const QByteArray kPicture("\x89PNG\r\n\x1a\n\x00\x01\xfe\xff\r\n--tail", 20);

QString pathAt(const QDateTime &t, const QString &suffix = QString()) {
  return QStringLiteral("/storage/files/v2/%1/public/chatPicture/%2/u7_%3%4.png")
      .arg(kAccount, t.date().toString(Qt::ISODate), QString::number(t.toSecsSinceEpoch()), suffix);
}

QStringList g_log;
void captureLog(QtMsgType, const QMessageLogContext &, const QString &msg) { g_log << msg; }

} // namespace

class TestChatPictureUpload : public QObject {
  Q_OBJECT
  std::unique_ptr<HttpServer> m_store;
  std::unique_ptr<ChatPictureUpload> m_upload;
  QDateTime m_now;

  void answerEverywhere(const HttpReply &reply) {
    for (const QString &suffix : {QString(), QStringLiteral("-1"), QStringLiteral("-2")})
      m_store->route(pathAt(m_now, suffix), reply);
  }

private slots:
  void init() {
    m_store = std::make_unique<HttpServer>();
    QVERIFY(m_store->isListening());
    m_now = kNow;
    m_upload = std::make_unique<ChatPictureUpload>();
    m_upload->setClock([this] { return m_now; });
    m_upload->setUser(QStringLiteral("u7"), QStringLiteral("林小雨"));
    m_upload->setStorage(m_store->baseUrl() + QStringLiteral("/storage"), kAccount);
    answerEverywhere(HttpReply{200, kStoreAnswer});
  }
  void cleanup() {
    m_upload.reset();
    m_store.reset();
  }

  void bodyGoesOutByteForByteWithTheSignature() {
    m_upload->onSignatureReply({{QStringLiteral("signature"), QStringLiteral("v1:public:u7:1772723229:abc")},
                                {QStringLiteral("expired"), 1772723229}});
    QSignalSpy sent(m_upload.get(), &ChatPictureUpload::pictureMessageReady);
    QSignalSpy shown(m_upload.get(), &ChatPictureUpload::showMessageMap);
    m_upload->uploadPicture(kPicture);
    QVERIFY(m_store->waitForRequests(1, 5000));
    const testsupport::HttpRequest r = m_store->requests().first();
    QCOMPARE(r.method, QStringLiteral("POST"));
    QCOMPARE(r.path, pathAt(kNow));
    QCOMPARE(r.headers.value(QStringLiteral("authorization")), QStringLiteral("v1:public:u7:1772723229:abc"));
    const QString type = r.headers.value(QStringLiteral("content-type"));
    const auto m = QRegularExpression(QStringLiteral("^multipart/form-data; boundary=(----[0-9a-f]{32})$")).match(type);
    QVERIFY2(m.hasMatch(), qPrintable(type));
    const QByteArray b = m.captured(1).toLatin1();
    const QByteArray expected = "--" + b + "\r\nContent-Disposition: form-data; name=\"op\"\r\n" + "\r\nupload\r\n" +
                                "--" + b + "\r\nContent-Disposition: form-data; name=\"filecontent\";\r\n" +
                                "Content-Type: image/png\r\n\r\n" + kPicture + "\r\n--" + b + "--\r\n";
    QCOMPARE(r.body, expected);

    QTRY_COMPARE(sent.count(), 1);
    const QString json = sent.first().first().toString();
    QVERIFY(json.contains(QStringLiteral("\n    \""))); // the indented form
    const QVariantMap message = QJsonDocument::fromJson(json.toUtf8()).object().toVariantMap();
    const QVariantMap expectedMessage{{QStringLiteral("name"), QStringLiteral("林小雨")},
                                      {QStringLiteral("type"), QStringLiteral("image")},
                                      {QStringLiteral("url"), QStringLiteral("http://store.example/pic.png")}};
    QCOMPARE(message, expectedMessage);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.first().first().toMap(), expectedMessage);
  }

  void beforeAnySignatureTheAuthorizationIsEmpty() {
    m_upload->uploadPicture(kPicture);
    QVERIFY(m_store->waitForRequests(1, 5000)); // sent anyway
    // Qt sends no header line for an empty value; what matters is that the picture goes and
    // carries no made-up signature.
    QCOMPARE(m_store->requests().first().headers.value(QStringLiteral("authorization")), QString());
    QCOMPARE(m_store->requests().first().path, pathAt(kNow));
  }

  void secondPictureInTheSameSecondKeepsItsOwnAddress() {
    m_upload->uploadPicture(kPicture);
    m_upload->uploadPicture(kPicture);
    QVERIFY(m_store->waitForRequests(2, 5000));
    QSet<QString> paths;
    for (const auto &r : m_store->requests()) paths << r.path;
    QCOMPARE(paths, (QSet<QString>{pathAt(kNow), pathAt(kNow, QStringLiteral("-1"))}));
    // The next second needs no suffix.
    m_now = kNow.addSecs(1);
    answerEverywhere(HttpReply{200, kStoreAnswer});
    m_upload->uploadPicture(kPicture);
    QVERIFY(m_store->waitForRequests(3, 5000));
    QCOMPARE(m_store->requests().last().path, pathAt(m_now));
  }

  void signatureIsRenewedInItsLastTenMinutes() {
    QVERIFY(m_upload->signatureDue()); // none yet
    const qint64 expiry = kNow.toSecsSinceEpoch() + 600;
    m_upload->onSignatureReply({{QStringLiteral("signature"), QStringLiteral("s1")}, {QStringLiteral("expired"), expiry}});
    QVERIFY(!m_upload->signatureDue()); // exactly 600 s ahead: still used
    m_now = kNow.addSecs(1);
    QVERIFY(m_upload->signatureDue()); // 599 s ahead: renewed
  }

  void answerWithoutSignatureLeavesTheOldOne() {
    m_upload->onSignatureReply({{QStringLiteral("signature"), QStringLiteral("s1")}, {QStringLiteral("expired"), 2000000000}});
    m_upload->onSignatureReply({{QStringLiteral("expired"), 5}});
    m_upload->onSignatureReply({});
    QCOMPARE(m_upload->signature(), QStringLiteral("s1"));
    QCOMPARE(m_upload->signatureExpiry(), 2000000000);
  }

  void lateSignatureAfterClosingBeganChangesNothing() {
    m_upload->setLeaving(true);
    m_upload->onSignatureReply({{QStringLiteral("signature"), QStringLiteral("late")}, {QStringLiteral("expired"), 2000000000}});
    QCOMPARE(m_upload->signature(), QString());
    QCOMPARE(m_upload->signatureExpiry(), 0);
    QVERIFY(!m_upload->signatureDue());
  }

  void refusedUploadOnlyLogsTwoLines() {
    answerEverywhere(HttpReply{403, R"({"errorCode":10018})"});
    QSignalSpy sent(m_upload.get(), &ChatPictureUpload::pictureMessageReady);
    QSignalSpy shown(m_upload.get(), &ChatPictureUpload::showMessageMap);
    g_log.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureLog);
    m_upload->uploadPicture(kPicture);
    QTRY_COMPARE(g_log.size(), 2);
    qInstallMessageHandler(previous);
    QCOMPARE(g_log.first(), QStringLiteral("found error ....code: 403 %1\n").arg(int(QNetworkReply::ContentAccessDenied)));
    QVERIFY(!g_log.last().isEmpty());
    QCOMPARE(sent.count(), 0);
    QCOMPARE(shown.count(), 0);
  }

  void answerWithoutAddressStillSendsThePicture() {
    answerEverywhere(HttpReply{200, "not json"});
    QSignalSpy shown(m_upload.get(), &ChatPictureUpload::showMessageMap);
    m_upload->uploadPicture(kPicture);
    QTRY_COMPARE(shown.count(), 1);
    QCOMPARE(shown.first().first().toMap().value(QStringLiteral("url")), QVariant(QString()));
  }
};

QTEST_GUILESS_MAIN(TestChatPictureUpload)
#include "test_chatpictureupload.moc"

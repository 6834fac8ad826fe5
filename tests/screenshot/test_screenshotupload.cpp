// From the hot key to the store: Ctrl+Shift+A starts the tool, an arrow is drawn, "完成"
// hands the PNG to the chat picture upload, tarnwick-local keeps it, and the picture
// message's address serves exactly the PNG the tool produced.
#include "classroom/chatpictureupload.h"
#include "screenshot/oescreen.h"
#include "screenshot/oescreenshot.h"
#include "support/localservice.h"
#include "support/servicemember.h"
#include "widgets/qxtglobalshortcut.h"
#include "widgets/xdo.h"

#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

// Records what the tool hands over and passes it on, as the classroom window does.
class Relay : public QObject {
  Q_OBJECT
public:
  explicit Relay(ChatPictureUpload *upload) : m_upload(upload) {}
  QByteArray png;
public slots:
  void uploadPicture(QByteArray fileContent) {
    png = fileContent;
    m_upload->uploadPicture(fileContent);
  }

private:
  ChatPictureUpload *m_upload;
};

} // namespace

class TestScreenshotUpload : public QObject {
  Q_OBJECT
  LocalService m_service;

private slots:
  void initTestCase() { QVERIFY2(m_service.start(), qPrintable(m_service.errorString())); }
  void cleanupTestCase() { QVERIFY(m_service.stop()); }

  void hotKeyToolArrowFinishAndTheStoreServesThePicture() {
    const QString token = m_service.signIn(QStringLiteral("13800000001"), QStringLiteral("tarnwick01"));
    const LocalService::Reply sig = m_service.call(
        QStringLiteral("chat-service"), QStringLiteral("cos_multi_effect_signature2"),
        {{QStringLiteral("bucketName"), QStringLiteral("public")}, {QStringLiteral("expired"), QStringLiteral("3600")},
         {QStringLiteral("token"), token}});
    QCOMPARE(sig.errorCode(), 0);
    // The store takes pictures only from students in class, as the classroom's student is.
    ServiceMember inClass(m_service, QStringLiteral("s10001"));
    QVERIFY(inClass.enter(300101, QStringLiteral("Guest")));

    ChatPictureUpload upload;
    upload.setUser(QStringLiteral("s10001"), QStringLiteral("林小雨"));
    upload.setStorage(m_service.baseUrl() + QStringLiteral("/storage"), QStringLiteral("tarnwick-local"));
    upload.onSignatureReply(sig.data().toVariantMap());
    QSignalSpy shown(&upload, &ChatPictureUpload::showMessageMap);
    QSignalSpy sent(&upload, &ChatPictureUpload::pictureMessageReady);
    Relay relay(&upload);

    QPointer<OEScreenshot> tool;
    QxtGlobalShortcut hotKey(QKeySequence(QStringLiteral("Ctrl+Shift+A")));
    connect(&hotKey, &QxtGlobalShortcut::activated, [&] {
      if (!tool) tool = new OEScreenshot(&relay);
    });
    QVERIFY(xdo::moveTo(50, 50));
    QVERIFY(xdo::key(QStringLiteral("ctrl+shift+a")));
    QTRY_VERIFY(tool);
    QVERIFY(QTest::qWaitForWindowExposed(tool.data()));

    QVERIFY(xdo::drag(QPoint(200, 150), QPoint(520, 390)));
    QTRY_VERIFY(tool->selection() && tool->selection()->controlBar());
    QWidget *bar = tool->selection()->controlBar();
    QVERIFY(xdo::clickOn(bar->findChild<QToolButton *>(QStringLiteral("arrowBtn"))));
    QTRY_VERIFY(tool->selection()->drawingLayer()->isVisible());
    QVERIFY(xdo::drag(QPoint(240, 360), QPoint(460, 200)));
    QTRY_COMPARE(tool->selection()->drawingLayer()->shapes(QSLabel::Arrow).size(), 1);
    QVERIFY(xdo::clickOn(bar->findChild<QToolButton *>(QStringLiteral("finishBtn"))));

    QTRY_VERIFY(!tool);
    QTRY_COMPARE_WITH_TIMEOUT(shown.count(), 1, 10000);
    QCOMPARE(sent.count(), 1);
    const QVariantMap message = shown.first().first().toMap();
    QCOMPARE(message.value(QStringLiteral("type")).toString(), QStringLiteral("image"));
    QCOMPARE(message.value(QStringLiteral("name")).toString(), QStringLiteral("林小雨"));
    const QString url = message.value(QStringLiteral("url")).toString();
    QVERIFY2(url.startsWith(m_service.baseUrl() + QStringLiteral("/storage/files/v2/tarnwick-local/public/chatPicture/")),
             qPrintable(url));

    const LocalService::Reply served = m_service.get(url.mid(m_service.baseUrl().size()));
    QCOMPARE(served.httpStatus, 200);
    QVERIFY(!relay.png.isEmpty());
    QCOMPARE(served.body, relay.png);
    QImage picture;
    QVERIFY(picture.loadFromData(served.body, "PNG"));
    QCOMPARE(picture.size(), QSize(320, 240));
  }
};

QTEST_MAIN(TestScreenshotUpload)
#include "test_screenshotupload.moc"

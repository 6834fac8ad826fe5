// Screenshots in class: the hot key Ctrl+Shift+A (pressed with xdotool on the test display)
// starts the tool only in class with the chat open; a finished picture goes through the local
// service's store to the teacher as a 2056 picture message whose address serves the same PNG.
#include "classfixture.h"

#include "classroom/chatpictureupload.h"
#include "classroom/classchat.h"
#include "core/deployment.h"
#include "sdk/live/ilive.h"
#include "sdk/net/hubtransport.h"
#include "support/localservice.h"
#include "support/testpicture.h"
#include "teacher/servicesignin.h"
#include "teacher/teachersession.h"

#include <QBuffer>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace classtest;

namespace {

void pressHotKey() {
  QCoreApplication::processEvents();
  QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {"key", "ctrl+shift+a"}), 0);
}

// After the key, long enough for a tool to have appeared if one were started.
bool toolStays(MainForm *w, bool present) {
  QTest::qWait(600);
  return (w->screenshotTool() != nullptr) == present;
}

QByteArray png() { return testpicture::png(QSize(64, 40), QColor(200, 30, 40)); }

QByteArray fetch(const QString &url) {
  QNetworkAccessManager net;
  net.setProxy(QNetworkProxy::NoProxy);
  QNetworkReply *reply = net.get(QNetworkRequest(QUrl(url)));
  QSignalSpy done(reply, &QNetworkReply::finished);
  done.wait(5000);
  const QByteArray body = reply->readAll();
  delete reply;
  return body;
}

const QString kTeacherPhone = QStringLiteral("13900000001");
const QString kTeacherPassword = QStringLiteral("teacher01");
const quint32 kLocalRoom = 300101;
const QString kLocalTeacher = QStringLiteral("t20001");

} // namespace

class TestSessionScreenshot : public QObject {
  Q_OBJECT

private slots:
  void hotKeyStartsTheToolInClass() {
    ClassWorld world;
    QVERIFY(world.enter());
    MainForm *w = world.window;
    pressHotKey();
    QTRY_VERIFY(w->screenshotTool() != nullptr);
    QWidget *tool = w->screenshotTool();
    QTRY_VERIFY(tool->isVisible());
    // A second press while the tool is open starts no second one.
    pressHotKey();
    QTest::qWait(300);
    QCOMPARE(w->screenshotTool(), tool);
    tool->close(); // deletes itself
    QTRY_VERIFY(w->screenshotTool() == nullptr);

    // The teacher closes the chat: the key does nothing.
    world.teacherSays(ClassCommandCode::ForbidAll, QStringLiteral("1"), true);
    QTRY_VERIFY(!w->chat()->chatAllowed());
    pressHotKey();
    QVERIFY(toolStays(w, false));
  }

  void hotKeyDoesNothingBeforeTheClass() {
    ClassWorld world;
    MainForm *w = world.open();
    QVERIFY(w->status() < 2);
    pressHotKey();
    QVERIFY(toolStays(w, false));
  }

  void pictureReachesTheTeacher() {
    // Real sockets, whatever an earlier class in this process set up.
    sdk::setHubTransportFactory(sdk::HubTransportFactory());
    LocalService service;
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    Deployment d = Deployment::instance();
    d.backendUrl = service.baseUrl();
    d.hubUrl = service.hubUrl();
    d.storageUrl = service.baseUrl() + QStringLiteral("/storage");
    Deployment::setInstance(d);
    GetILive()->setHubAddress(d.hubUrl.toUtf8().constData());
    QVERIFY(GetILive()->init(uint32_t(d.sdkAppId), uint32_t(d.sdkAccountType), true) == 0);

    // The teacher in the room first, listening for class commands.
    ServiceSignIn signIn;
    QSignalSpy signedIn(&signIn, &ServiceSignIn::finished);
    signIn.start(service.baseUrl(), kTeacherPhone, kTeacherPassword, kLocalRoom);
    QVERIFY(signedIn.wait(10000));
    const auto credentials = signedIn.at(0).at(0).value<TeacherCredentials>();
    QVERIFY2(signedIn.at(0).at(1).toString().isEmpty(), qPrintable(signedIn.at(0).at(1).toString()));
    const QString hubUrl = service.hubUrl();
    TeacherSession teacher([hubUrl] { return sdk::createHubTransport(hubUrl); });
    QList<ReceivedCommand> received;
    connect(&teacher, &TeacherSession::commandReceived, this,
            [&](const ReceivedCommand &c) { received.append(c); });
    int step = -1;
    teacher.signIn(credentials.userId, credentials.userSig, [&](int code, const QString &) { step = code; });
    QTRY_COMPARE(step, 0);
    step = -1;
    teacher.enter(kLocalRoom, credentials.authBuffer, [&](int code, const QString &, const QStringList &) { step = code; });
    QTRY_COMPARE(step, 0);

    const QString token = service.signIn(QStringLiteral("13800000001"), QStringLiteral("tarnwick01"));
    QVERIFY(!token.isEmpty());
    FakeShell shell;
    BoxWatch boxes;
    MainForm *w = openLocalClass(shell, token, int(kLocalRoom), kLocalTeacher);
    QTRY_VERIFY_WITH_TIMEOUT(w->status() >= 2, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!w->uploadSignature().isEmpty(), 5000);

    // What the tool does when finished: the picture goes to the window's slot by name.
    const QByteArray picture = png();
    QVERIFY(QMetaObject::invokeMethod(w, "uploadPicture", Q_ARG(QByteArray, picture)));
    auto pictureMessage = [&]() -> QJsonObject {
      for (const ReceivedCommand &c : received)
        if (c.code == int(ClassCommandCode::Chat) && !c.direct)
          return QJsonDocument::fromJson(c.param.toUtf8()).object();
      return QJsonObject();
    };
    QTRY_VERIFY_WITH_TIMEOUT(!pictureMessage().isEmpty(), 10000);
    const QJsonObject message = pictureMessage();
    QCOMPARE(message.value("type").toString(), QStringLiteral("image"));
    QCOMPARE(message.value("name").toString(), w->getUserName());
    const QString url = message.value("url").toString();
    QVERIFY2(url.startsWith(service.baseUrl() + QStringLiteral("/storage/files/v2/")), qPrintable(url));
    QCOMPARE(fetch(url), picture);

    delete w;
    GetILive()->release(nullptr, nullptr, nullptr);
    QVERIFY(service.stop());
  }
};

QTEST_MAIN(TestSessionScreenshot)
#include "test_session_screenshot.moc"

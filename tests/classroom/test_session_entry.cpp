// The way into a class on an in-process hub with a loopback backend: construction, sign-in,
// waiting for the teacher, entering, joining, and every failure on the way.
#include "classfixture.h"

#include "classroom/classchat.h"
#include "classroom/classcredentials.h"
#include "classroom/memberroster.h"
#include "core/deployment.h"

#include <QDateTime>
#include <QJsonArray>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace classtest;

class TestSessionEntry : public QObject {
  Q_OBJECT

  std::unique_ptr<ClassWorld> world_;

  FakeBackend &backend() { return world_->backend; }
  MainForm *window() { return world_->window; }
  QWidget *area(const char *name) { return window()->findChild<QWidget *>(QLatin1String(name)); }
  bool closedAndReleased(const QSignalSpy &released) {
    return QTest::qWaitFor([&] { return window() && window()->isClosed() && released.count() == 1; },
                           5000);
  }

private slots:
  void init() { world_ = std::make_unique<ClassWorld>(); }
  void cleanup() { world_.reset(); }

  void constructionBuildsTheWaitingClassroom() {
    MainForm *w = world_->open();
    QCOMPARE(w->windowTitle(), QStringLiteral("在线课堂"));
    QCOMPARE(w->minimumSize(), QSize(1000, 562));
    QCOMPARE(w->size(), QSize(1434, 829));
    QVERIFY(w->testAttribute(Qt::WA_DontCreateNativeAncestors));
    QCOMPARE(w->findChild<QLabel *>("labelWaiting")->text(),
             QStringLiteral("老师还未进教室，请耐心等待…"));
    QVERIFY(!w->findChild<QLabel *>("labelLogo")->pixmap(Qt::ReturnByValue).isNull());
    for (const char *name : {"widgetWhiteBoard", "layoutScreenShare", "widgetWaiting", "widgetUp",
                             "widgetToolBar", "widgetRemoteVideo", "tbMembers", "btnSend",
                             "btnToggleRemoteVideo"})
      QVERIFY2(area(name), name);
    QVERIFY(area("widgetWaiting")->isHidden());
    QVERIFY(area("widgetWhiteBoard")->isHidden());
    QVERIFY(area("widgetRemoteVideo")->isHidden());
    QCOMPARE(w->status(), 0);
    QVERIFY(w->notInRoom());
    QVERIFY(!w->isReadyToLeave());
    QCOMPARE(w->refreshInterval(), 120000);
    QVERIFY(!w->findChild<QTextEdit *>("textEditChat")->isEnabled());
    QVERIFY2(world_->shell.calls.count("loadSetting") == 1, qPrintable(world_->shell.calls.join(",")));
    QCOMPARE(ClassCredentials::instance().appId(), uint32_t(Deployment::instance().sdkAppId));
    // The signature is asked for with the token the shell set after construction.
    QVERIFY(backend().waitFor("chat-service/cos_multi_effect_signature2", 1));
    QVERIFY(backend().calls("chat-service/cos_multi_effect_signature2").at(0).body.contains(
        "token=" + kToken.toUtf8()));
    QTRY_COMPARE(w->uploadSignature(), QStringLiteral("upload-signature"));
  }

  void seatedWhenTheTeacherIsThere() {
    QVERIFY(world_->enter());
    MainForm *w = window();
    QCOMPARE(backend().calls("live-service/bgp_login").at(0).body,
             QByteArray("role=0&roomId=52001&token=" + kToken.toUtf8()));
    QCOMPARE(backend().calls("live-service/enter").at(0).params.value("device"),
             QStringLiteral("PC2.0_510208_normal"));
    QVERIFY(world_->shell.calls.contains("setMyName(" + kStudentName + ")"));
    QCOMPARE(w->getUserId(), kStudentId);
    QCOMPARE(w->getUserName(), kStudentName);
    QCOMPARE(ClassCredentials::instance().userId(), kStudentId);
    QCOMPARE(ClassCredentials::instance().roomId(), int(kRoom));
    QVERIFY(ClassCredentials::instance().userSig().startsWith("v1."));

    QTRY_COMPARE(world_->teacher->commands(ClassCommandCode::MemberEntered).size(), 1);
    QCOMPARE(world_->teacher->commands(ClassCommandCode::MemberEntered).at(0).actionParam, kStudentName);
    QCOMPARE(world_->teacher->commands(ClassCommandCode::Joined).size(), 1);
    QCOMPARE(world_->teacher->commands(ClassCommandCode::JoinedNewVersion).at(0).actionParam, QStringLiteral("ignore_in_new_version"));
    QCOMPARE(world_->teacher->commands(ClassCommandCode::AskChatPermission).at(0).actionParam, QString());

    QVERIFY(!w->notInRoom());
    QVERIFY(w->isReadyToLeave());
    QVERIFY(w->heartbeatTimer()->isActive());
    QCOMPARE(w->heartbeatTimer()->interval(), 10000);
    QCOMPARE(w->refreshTimer()->interval(), 120000);
    QVERIFY(!w->teacherCheckTimer()->isActive());
    QVERIFY(area("widgetWaiting")->isHidden());
    QVERIFY(!area("layoutScreenShare")->isHidden());
    QVERIFY(w->findChild<QTextEdit *>("textEditChat")->isEnabled());
    QTRY_COMPARE(w->roster()->rowCount(), 2);
    QCOMPARE(w->roster()->memberText(kTeacherId, MemberRoster::ColStatus), QStringLiteral("老师"));
  }

  void failuresOnTheWayInCloseTheClass_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("sign-in") << "live-service/bgp_login";
    QTest::newRow("teacher check") << "live-service/teacher_in_room";
    QTest::newRow("enter") << "live-service/enter";
  }

  void failuresOnTheWayInCloseTheClass() {
    QFETCH(QString, path);
    backend().answer(path, FakeBackend::error(40301, QStringLiteral("课堂已结束")));
    MainForm *w = world_->open();
    QSignalSpy released(w, &MainForm::releaseFinished);
    w->onBtnLogin();
    QVERIFY(closedAndReleased(released));
    QCOMPARE(BoxWatch::information(),
             QStringList{QStringLiteral("错误|错误码:   40301\n错误信息: 课堂已结束")});
    QCOMPARE(world_->shell.calls.count("leaveClass(false)"), 1);
    QCOMPARE(backend().count("live-service/exit"), 0);
  }

  // The hub refuses a room number 0; the SDK's description is shown and the class closes.
  void refusedJoinShowsTheSdkText() {
    MainForm *w = world_->open();
    w->setRoomId(0);
    QSignalSpy released(w, &MainForm::releaseFinished);
    w->onBtnLogin();
    QVERIFY(closedAndReleased(released));
    QCOMPARE(BoxWatch::information().size(), 1);
    QVERIFY2(BoxWatch::information().at(0).contains("错误码:   1006"),
             qPrintable(BoxWatch::information().at(0)));
    QCOMPARE(world_->teacher->commands(ClassCommandCode::MemberEntered).size(), 0);
  }

};

QTEST_MAIN(TestSessionEntry)
#include "test_session_entry.moc"

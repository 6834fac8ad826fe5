// The ways out of a class: the close refused while in the room, the student's own leave, the
// teacher leaving, being signed in elsewhere, a lost connection, and answers that arrive after
// the window is gone.
#include "classfixture.h"

#include "classroom/classdevices.h"
#include "classroom/classstage.h"
#include "classroom/livecalls.h"
#include "messaging/messagesink.h"
#include "protocol/usersig.h"
#include "sdk/live/linkresume.h"

#include <QSignalSpy>
#include <QJsonArray>
#include <QTest>
#include <QTimer>
#include <thread>

using namespace classtest;

class TestSessionExit : public QObject {
  Q_OBJECT

  std::unique_ptr<ClassWorld> world_;

  MainForm *window() { return world_->window; }
  FakeBackend &backend() { return world_->backend; }
  bool closed() {
    return QTest::qWaitFor([&] { return window() && window()->isClosed(); }, 5000);
  }

private slots:
  // A hub that goes away does not come back here: the tries are given up soon.
  void initTestCase() { ilivesdk::LinkResume::setDefaultPolicy(100, 1500); }
  void init() { world_ = std::make_unique<ClassWorld>(); }
  void cleanup() { world_.reset(); }

  void closeWaitsForTheExitAndTheQuit() {
    backend().answer("live-service/exit", FakeBackend::ok({}, 300));
    QVERIFY(world_->enter());
    MainForm *w = window();
    QSignalSpy released(w, &MainForm::releaseFinished);
    QVERIFY(!w->close());
    QVERIFY(w->isLeaving());
    QVERIFY(!w->isClosed());
    QVERIFY(backend().waitFor("live-service/exit", 1));
    QCOMPARE(backend().calls("live-service/exit").at(0).body,
             QByteArray("roomId=52001&token=" + kToken.toUtf8()));
    // A second close while the exit is answered neither closes nor exits twice.
    QVERIFY(!w->close());
    QCOMPARE(released.count(), 0);
    QVERIFY(closed());
    QCOMPARE(released.count(), 1);
    QCOMPARE(backend().count("live-service/exit"), 1);
    QTRY_COMPARE(world_->teacher->commands(ClassCommandCode::MemberLeft).size(), 1);
    QCOMPARE(world_->teacher->commands(ClassCommandCode::MemberLeft).at(0).actionParam, kStudentId);
    QVERIFY(w->notInRoom());
    QTRY_VERIFY(w->loggedOut());
    QVERIFY(!w->heartbeatTimer()->isActive());
    QVERIFY(!w->refreshTimer()->isActive());
    QVERIFY(BoxWatch::information().isEmpty());
    // Nothing goes to the backend once leaving.
    w->onHeartBeatTimer();
    w->onRefreshUserTimer();
    QTest::qWait(200);
    QCOMPARE(backend().count("live-service/heartbeat"), 0);
    QCOMPARE(backend().count("live-service/room_user"), 1);
  }

  void exitErrorsOtherThan10010AreShown_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("tips");
    QTest::newRow("10010 is quiet") << 10010 << 0;
    QTest::newRow("other codes show") << 500 << 1;
  }

  void exitErrorsOtherThan10010AreShown() {
    QFETCH(int, code);
    QFETCH(int, tips);
    backend().answer("live-service/exit", FakeBackend::error(code, QStringLiteral("退出失败")));
    QVERIFY(world_->enter());
    window()->close();
    QVERIFY(closed());
    QCOMPARE(BoxWatch::informationCount(QStringLiteral("错误码:   %1").arg(code)), tips);
  }

  void leavingAtTheStudentsRequest() {
    QVERIFY(world_->enter());
    MainForm *w = window();
    world_->boxes.setAnswer(false);
    w->onExitClass();
    QCOMPARE(world_->boxes.questions(), QStringList{QStringLiteral("确认|确认要离开教室吗？")});
    QTest::qWait(100);
    QCOMPARE(backend().count("live-service/exit"), 0);

    world_->boxes.setAnswer(true);
    w->onExitClass();
    QVERIFY(backend().waitFor("live-service/exit", 1));
    QTRY_COMPARE(world_->teacher->commands(ClassCommandCode::MicClosed).size(), 1);
    QVERIFY(closed());
    QVERIFY(w->loggedOut() || QTest::qWaitFor([w] { return w->loggedOut(); }, 3000));
  }

  void theTeacherLeavingEndsTheClass() {
    QVERIFY(world_->enter());
    MainForm *w = window();
    QSignalSpy released(w, &MainForm::releaseFinished);
    world_->teacherSays(ClassCommandCode::TeacherLeaves, QString(), true);
    QTRY_COMPARE(BoxWatch::information(), QStringList{QStringLiteral("老师退出房间|老师已经退出房间.")});
    QVERIFY(!w->heartbeatTimer()->isActive());
    QCOMPARE(world_->shell.calls.count("leaveClass(false)"), 1);
    QVERIFY(backend().waitFor("live-service/exit", 1));
    QVERIFY(closed());
    QCOMPARE(released.count(), 1);
  }

  // The real shell embeds the classroom and deletes it after the class: a tip that comes with
  // leaving belongs to the shell's window, or it would go with the classroom unread.
  void leavingTipOutlivesTheClassroom() {
    QTest::qWait(2100); // the test before showed the same tip, and one text shows once in 2 s
    world_->shell.resize(1434, 829);
    world_->shell.show();
    world_->open(QStringLiteral("normal"), &world_->shell);
    QVERIFY(world_->enter());
    world_->teacherSays(ClassCommandCode::TeacherLeaves, QString(), true);
    QTRY_COMPARE(BoxWatch::information(), QStringList{QStringLiteral("老师退出房间|老师已经退出房间.")});
    QVERIFY(closed());
    world_->destroyWindow();
    QVERIFY(!window());
    QCOMPARE(BoxWatch::information(), QStringList{QStringLiteral("老师退出房间|老师已经退出房间.")});
    BoxWatch::closeInformation();
  }

  void signedInElsewhere() {
    QVERIFY(world_->enter());
    MainForm *w = window();
    WatchingMember twin(world_->hub.get(), kStudentId);
    twin.login(usersig::issueFor(kSecret, kStudentId, 3600));
    QVERIFY(twin.lastRequestOk());
    QTRY_COMPARE(BoxWatch::information(),
                 QStringList{QStringLiteral("被踢下线|你的账号在其他地方登录,点击确认后关闭!")});
    QVERIFY(!w->heartbeatTimer()->isActive());
    QVERIFY(!w->refreshTimer()->isActive());
    QCOMPARE(world_->shell.calls.count("leaveClass(false)"), 1);
    QVERIFY(w->isLeaving());
  }

  void lostConnection() {
    QVERIFY(world_->enter());
    MainForm *w = window();
    QSignalSpy released(w, &MainForm::releaseFinished);
    world_->dropHub();
    QVERIFY(closed());
    QCOMPARE(released.count(), 1);
    const QStringList boxes = BoxWatch::information();
    QCOMPARE(boxes.size(), 1);
    QVERIFY2(boxes.at(0).contains(QStringLiteral("与课堂的连接异常中断，请检查网络是否正常！")),
             qPrintable(boxes.at(0)));
    QVERIFY(w->notInRoom());
    QVERIFY(!w->heartbeatTimer()->isActive());
    // Closed without an exit: the room is gone with the connection.
    QCOMPARE(backend().count("live-service/exit"), 0);
  }

  // The window goes while backend replies, live SDK answers and timers are still under way:
  // none of them may reach it, and none may act for it.
  void answersInFlightAfterTheWindowIsGone() {
    QVERIFY(world_->enter());
    MainForm *w = window();
    backend().answer("live-service/heartbeat", FakeBackend::ok({}, 200));
    backend().answer("live-service/room_user", FakeBackend::ok({{"idlist", QJsonArray{}}}, 200));
    w->onHeartBeatTimer(); // backend reply and screen-stream answer under way
    w->onRefreshUserTimer();
    QVERIFY(backend().waitFor("live-service/room_user", 2));
    // From here on no event is handled until the window is gone.
    w->stage()->goOnStage(); // role change under way
    w->devices()->queueOperation(QStringLiteral("EnterLive:") + kTeacherId, 50);
    emit w->liveCalls()->pushFailed(1005, QStringLiteral("refused")); // retry timer
    world_->destroyWindow();
    QVERIFY(!window());
    QTest::qWait(600);
    QVERIFY(world_->teacher->commands(ClassCommandCode::OnStage).isEmpty());
    QVERIFY(BoxWatch::information().isEmpty());
    // The connection ends with no window to tell.
    world_->dropHub();
    QTest::qWait(200);
  }

  // A delivery queued for the window when it goes never reaches a slot; its list is freed
  // with the window all the same.
  void messagesQueuedForAGoneWindowAreFreed() {
    QVERIFY(world_->enter());
    const int before = MessageSink::pendingCount();
    MainForm *w = window();
    std::thread([w] {
      auto *msgs = new LiveMessageList(1);
      msgs->front().type = LiveMessage::Text;
      msgs->front().text = QStringLiteral("late");
      MessageSink::emitReceiveMessage(w, kTeacherId, msgs);
    }).join();
    QCOMPARE(MessageSink::pendingCount(), before + 1);
    world_->destroyWindow();
    QCOMPARE(MessageSink::pendingCount(), before);
  }

  void answersOnTheWayInAfterTheWindowIsGone_data() {
    QTest::addColumn<QString>("pending");
    QTest::newRow("backend sign-in") << "bgp_login";
    QTest::newRow("live sign-in") << "live";
    QTest::newRow("enter") << "enter";
  }

  void answersOnTheWayInAfterTheWindowIsGone() {
    QFETCH(QString, pending);
    if (pending != QLatin1String("live"))
      backend().answer("live-service/" + pending,
                       FakeBackend::ok({{"userId", kStudentId},
                                        {"userSig", usersig::issueFor(kSecret, kStudentId, 60)}},
                                       300));
    MainForm *w = world_->open();
    if (pending == QLatin1String("live")) {
      // The shell hears the name right before the SDK sign-in is asked for; the window goes
      // at the next turn of the event loop, before the hub can answer.
      world_->shell.onSetMyName = [w] { w->deleteLater(); };
      w->onBtnLogin();
      QTRY_VERIFY(!window());
    } else {
      w->onBtnLogin();
      QVERIFY(backend().waitFor("live-service/" + pending, 1));
      world_->destroyWindow();
    }
    QTest::qWait(600);
    QCOMPARE(backend().count("live-service/enter"), pending == "enter" ? 1 : 0);
    QCOMPARE(backend().count("live-service/teacher_in_room"), pending == "enter" ? 1 : 0);
    QVERIFY(world_->teacher->commands(ClassCommandCode::MemberEntered).isEmpty());
    QVERIFY(BoxWatch::information().isEmpty());
  }
};

QTEST_MAIN(TestSessionExit)
#include "test_session_exit.moc"

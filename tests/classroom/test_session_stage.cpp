// Stage turns in a running class: the teacher calls the student up and down, with and without
// the camera; push-stream retries; the chat permission; a reward.
#include "classfixture.h"

#include "classroom/classchat.h"
#include "classroom/classstage.h"
#include "classroom/livecalls.h"
#include "classroom/memberroster.h"
#include "classroom_widgets/qtlivetoolbar.h"
#include "classroom_widgets/qtredpacket.h"
#include "classroom_widgets/qtsuperbutton.h"
#include "protocol/protocol.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTextEdit>

using namespace classtest;

class TestSessionStage : public QObject {
  Q_OBJECT

  std::unique_ptr<ClassWorld> world_;

  MainForm *window() { return world_->window; }
  WatchingMember *teacher() { return world_->teacher.get(); }

  // The hub's notices about the student, as the teacher sees them.
  bool teacherSawRole(const QString &role) {
    return QTest::qWaitFor([&] {
      for (const QJsonObject &n : teacher()->notices())
        if (n.value("type") == "member" && n.value("event") == "role" &&
            n.value("userId") == kStudentId && n.value("role") == role)
          return true;
      return false;
    }, 5000);
  }
  bool teacherSawStream(const QString &source, const QString &state) {
    return QTest::qWaitFor([&] {
      for (const QJsonObject &n : teacher()->notices())
        if (n.value("type") == "stream" && n.value("userId") == kStudentId &&
            n.value("source") == source && n.value("state") == state)
          return true;
      return false;
    }, 5000);
  }
  QStringList heartbeatRoles() {
    QStringList out;
    for (const auto &r : world_->backend.calls("live-service/heartbeat"))
      out << r.params.value("role") + "/" + r.params.value("up");
    return out;
  }
  QTextEdit *chatInput() { return window()->findChild<QTextEdit *>("textEditChat"); }

private slots:
  void init() {
    world_ = std::make_unique<ClassWorld>();
    QVERIFY(world_->enterWithRoster());
  }
  void cleanup() { world_.reset(); }

  void teacherCallsTheStudentUpAndDown() {
    MainForm *w = window();
    world_->teacherSays(ClassCommandCode::CallOnStage, QString());
    QVERIFY(teacherSawRole("LiveGuest"));
    QVERIFY(world_->waitStatus(3));
    QTRY_VERIFY(w->toolBar()->isMicOn());
    QVERIFY(w->toolBar()->superButton()->stageState() == QtSuperButton::OnMic);
    QTRY_COMPARE(teacher()->commands(ClassCommandCode::OnStage).size(), 1);
    QCOMPARE(teacher()->commands(ClassCommandCode::OnStage).at(0).actionParam, kStudentId);
    QVERIFY(world_->backend.waitFor("live-service/heartbeat", 1));
    QCOMPARE(heartbeatRoles(), QStringList{"2/0"});
    QCOMPARE(w->roster()->memberText(kStudentId, MemberRoster::ColStatus), QStringLiteral("连麦"));
    QCOMPARE(w->roster()->memberText(kStudentId, MemberRoster::ColRole), QStringLiteral("2"));
    QVERIFY(teacherSawStream("audio", "on"));
    QTRY_VERIFY(w->stage()->pushChannelId() != 0);

    // Naming someone else does nothing; naming this student ends the turn.
    world_->teacherSays(ClassCommandCode::TakeOffStage, kOtherStudentId, true);
    QTest::qWait(200);
    QCOMPARE(w->status(), 3);
    world_->teacherSays(ClassCommandCode::TakeOffStage, kStudentId, true);
    QVERIFY(teacherSawRole("Guest"));
    QVERIFY(world_->waitStatus(2));
    QTRY_COMPARE(teacher()->commands(ClassCommandCode::LeftStage).size(), 1);
    QTRY_COMPARE(teacher()->commands(ClassCommandCode::MicClosed).size(), 1);
    QCOMPARE(teacher()->commands(ClassCommandCode::MicClosed).at(0).actionParam, QStringLiteral("0"));
    QCOMPARE(w->roster()->memberText(kStudentId, MemberRoster::ColRole), QStringLiteral("0"));
    QCOMPARE(w->roster()->memberText(kStudentId, MemberRoster::ColStatus), QString());
    QVERIFY(world_->backend.waitFor("live-service/heartbeat", 2));
    QCOMPARE(heartbeatRoles().last(), QStringLiteral("0/0"));
    QCOMPARE(w->toolBar()->superButton()->stageState(), int(QtSuperButton::OffStage));
  }

  void anotherStudentCannotCallTheStudentUp() {
    world_->otherStudent()->sendCommand(ClassCommandCode::CallOnStage, QString());
    world_->otherStudent()->sendCommandTo(kStudentId, ClassCommandCode::CameraRequest, QString());
    QCOMPARE(world_->otherStudent()->lastRequestCode(), int(hubproto::TeacherOnly)); // the hub's own refusal
    QTest::qWait(400);
    QCOMPARE(window()->status(), 2);
    QVERIFY(teacher()->commands(ClassCommandCode::OnStage).isEmpty());
    QVERIFY(teacher()->commands(ClassCommandCode::CameraOpened).isEmpty());
  }

  void cameraRequestWithTheCameraSwitchedOff() {
    world_->shell.settings.insert("disable_camera", 1);
    QSignalSpy devices(window()->liveCalls(), &LiveCalls::deviceOperation);
    world_->teacherSays(ClassCommandCode::CameraRequest, QString());
    QVERIFY(world_->waitStatus(3));
    QTRY_COMPARE(teacher()->commands(ClassCommandCode::OnStage).size(), 1);
    QVERIFY(teacher()->commands(ClassCommandCode::CameraOpened).isEmpty());
    QVERIFY(!window()->cameraUp());
    QTRY_VERIFY(window()->toolBar()->isMicOn());
    QTest::qWait(300);
    for (const QList<QVariant> &report : devices)
      QVERIFY(report.at(0).toInt() != ilive::DEVICE_OP_OPEN_CAMERA);
    QVERIFY(!devices.isEmpty());
    QVERIFY(world_->backend.waitFor("live-service/heartbeat", 1));
    QCOMPARE(heartbeatRoles().last(), QStringLiteral("2/0"));
  }

  void cameraRequestThenTheTeacherClosesTheCamera() {
    MainForm *w = window();
    world_->teacherSays(ClassCommandCode::CameraRequest, QString());
    QVERIFY(world_->waitStatus(3));
    QTRY_COMPARE(teacher()->commands(ClassCommandCode::CameraOpened).size(), 1);
    QCOMPARE(teacher()->commands(ClassCommandCode::CameraOpened).at(0).actionParam, kStudentId);
    QVERIFY(w->cameraUp());
    QCOMPARE(w->toolBar()->superButton()->stageState(), int(QtSuperButton::OnStage));
    QVERIFY(teacherSawStream("camera", "on"));
    w->onHeartBeatTimer();
    QTRY_VERIFY(heartbeatRoles().contains("2/1"));

    world_->teacherSays(ClassCommandCode::CameraOff, QString());
    QTRY_COMPARE(teacher()->commands(ClassCommandCode::CameraClosed).size(), 1);
    QVERIFY(world_->waitStatus(2));
    QVERIFY(!w->cameraUp());
    QTRY_COMPARE(teacher()->commands(ClassCommandCode::LeftStage).size(), 1);
    QCOMPARE(w->toolBar()->superButton()->stageState(), int(QtSuperButton::OffStage));
    QVERIFY(teacherSawRole("Guest"));
  }

  void cameraRequestWithAStoredCameraThatIsGone() {
    world_->shell.settings.insert("camera_index", world_->testPatternCamera + 5);
    world_->teacherSays(ClassCommandCode::CameraRequest, QString());
    QTRY_COMPARE(BoxWatch::informationCount(QStringLiteral("摄像头设置不正确")), 1);
    QTest::qWait(300);
    QCOMPARE(window()->status(), 2);
    QVERIFY(teacher()->commands(ClassCommandCode::CameraOpened).isEmpty());
  }

  // Failed push starts are retried 200 ms apart, three times, then the turn ends.
  void pushStreamRetriesThenGivesUp() {
    MainForm *w = window();
    world_->teacherSays(ClassCommandCode::CallOnStage, QString());
    QVERIFY(world_->waitStatus(3));
    QTRY_VERIFY(w->stage()->pushChannelId() != 0);
    LiveCalls *live = w->liveCalls();
    for (int attempt = 0; attempt < 3; ++attempt) {
      emit live->pushFailed(1005, QStringLiteral("refused"));
      QCOMPARE(w->status(), 2);
      QTRY_COMPARE(w->stage()->pushRetries(), attempt + 1);
      // The successful start of the retry puts the student back on stage.
      QTRY_COMPARE(w->status(), 3);
    }
    emit live->pushFailed(1005, QStringLiteral("refused"));
    QCOMPARE(w->stage()->requestedRole(), int(ClassStage::GoingOffStage));
    QVERIFY(teacherSawRole("Guest"));
    QVERIFY(world_->waitStatus(2));
    QTest::qWait(300);
    QCOMPARE(w->stage()->pushRetries(), 3);
  }

  void chatPermissionFollowsTheTeacher() {
    QPushButton *send = window()->findChild<QPushButton *>("btnSend");
    world_->teacherSays(ClassCommandCode::ChatSnapshot, QStringLiteral(R"({"forbid_all":"1","forbid_you":"0"})"), true);
    QTRY_VERIFY(!chatInput()->isEnabled());
    QCOMPARE(chatInput()->toPlainText(), QStringLiteral("老师已关讨论区，暂时无法发言"));
    QVERIFY(!send->isEnabled());
    world_->teacherSays(ClassCommandCode::ChatSwitchAlt, QStringLiteral("0"), true);
    world_->teacherSays(ClassCommandCode::Chat, QStringLiteral(R"({"name":"王老师","type":"message","contents":[]})"), true);
    QTRY_COMPARE(window()->chat()->shownLines().size(), 1);
    QVERIFY(!chatInput()->isEnabled());
    // Status changes keep the closed chat closed.
    window()->setStatus(2);
    QVERIFY(!chatInput()->isEnabled());
    world_->teacherSays(ClassCommandCode::ForbidAll, QStringLiteral("0"), true);
    QTRY_VERIFY(chatInput()->isEnabled());
    QCOMPARE(chatInput()->toPlainText(), QString());
    QVERIFY(send->isEnabled());
    world_->teacherSays(ClassCommandCode::ForbidYou, QStringLiteral("@@1"));
    QTRY_VERIFY(!chatInput()->isEnabled());
  }

  void rewardForThisStudent() {
    MainForm *w = window();
    world_->teacherSays(ClassCommandCode::Reward, QStringLiteral(
        R"({"type":"101","amount":8,"receiver":"stu_1001","receiver_name":"李小明",)"
        R"("message":"[receiver_name]获得了老师的红包","memo":""})"), true);
    QTRY_VERIFY(w->findChild<QtRedPacket *>() != nullptr);
    QtRedPacket *packet = w->findChild<QtRedPacket *>();
    QCOMPARE(packet->amount(), 8);
    QVERIFY(packet->isVisible());
    QVERIFY(w->chat()->shownLines().contains(QStringLiteral("系统消息:你获得了老师的红包")));
  }

  void raisingTheHandTellsTheTeacher() {
    window()->toolBar()->superButton()->btnCircleClicked();
    QTRY_COMPARE(teacher()->commands(ClassCommandCode::HandRaised).size(), 1);
    QCOMPARE(teacher()->commands(ClassCommandCode::HandRaised).at(0).actionParam, kStudentId);
  }
};

QTEST_MAIN(TestSessionStage)
#include "test_session_stage.moc"

// The scripted teacher on an in-process hub, with students driven by the test: what the
// students receive, in which order, with which parameters; reacting to what they send; and
// the ways a run ends early.
#include "hubstudent.h"
#include "support/mediameasure.h"
#include "teacherrun.h"

#include "service/hub/hub.h"
#include "protocol/mediaframe.h"
#include "sdk/live/testpatterncamera.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using hubproto::Source;

namespace {

const QString kTeacher = QStringLiteral("t1");

QJsonObject jsonOf(const QString &text) { return QJsonDocument::fromJson(text.toUtf8()).object(); }

// Logs in and joins the test room.
bool seat(HubStudent &s) { return s.login(kTeacherTestSecret) == 0 && s.join(kTeacherTestRoom) == 0; }

// A scenario whose teacher enters and waits for s1 and s2 before the given steps.
QByteArray withTwoStudents(const char *steps) {
  return QByteArray(R"({"steps": [
      {"do": "enter"},
      {"do": "waitMember", "user": "s1", "timeout": 5},
      {"do": "waitMember", "user": "s2", "timeout": 5},)") +
         steps + "]}";
}

bool teacherInRoom(const Hub &hub) {
  return QTest::qWaitFor([&] { return hub.isInRoom(kTeacher, kTeacherTestRoom); }, 5000);
}

// A hub, the teacher's run and students s1 and s2, seated once the teacher is in.
struct TwoStudentClass {
  bool start(const char *steps) {
    return run.start(&hub, withTwoStudents(steps)) && teacherInRoom(hub) && seat(s1) && seat(s2);
  }
  Hub hub{kTeacherTestSecret};
  TeacherRun run;
  HubStudent s1{&hub, QStringLiteral("s1")};
  HubStudent s2{&hub, QStringLiteral("s2")};
};

} // namespace

class TestTeacherClass : public QObject {
  Q_OBJECT

private slots:
  void wholeClassReachesTheStudentInOrder();
  void handRaiseCallsThatStudentOnStage();
  void stageCommandsCarryTheHubsStageGrant();
  void waitsTimeOutWithAClearMessage();
  void chatPermissionSnapshotAnswersEachStudent();
  void emptyCaptureNeverFallsBackToTheGroup();
  void rosterNoticesCountAndNamesFollowTheStudents();
  void classmatesComeOnStageWithTheirCameras();
  void earlyEnds_data();
  void earlyEnds();
};

void TestTeacherClass::wholeClassReachesTheStudentInOrder() {
  Hub hub(kTeacherTestSecret);
  TeacherRun run;
  QVERIFY2(run.start(&hub, R"({"name": "演示", "steps": [
      {"do": "enter"},
      {"do": "publish", "source": "camera", "fps": 10},
      {"do": "publish", "source": "screen", "fps": 5},
      {"do": "waitMember", "as": "student", "timeout": 5},
      {"do": "waitCommand", "code": 2058, "from": "${student}", "timeout": 5},
      {"do": "display", "mode": "Screen"},
      {"do": "wait", "seconds": 0.8},
      {"do": "chat", "text": "同学们好"},
      {"do": "command", "code": 2049, "to": "${student}"},
      {"do": "command", "code": 2103, "to": "${student}"},
      {"do": "reward", "to": "${student}", "amount": 100},
      {"do": "command", "code": 2110, "param": "1"},
      {"do": "command", "code": 2110, "param": "0"},
      {"do": "command", "code": 2050, "param": "${student}"},
      {"do": "leave"}]})"),
           qPrintable(run.error));
  QVERIFY(teacherInRoom(hub));
  HubStudent s1(&hub, QStringLiteral("s1"));
  QVERIFY(seat(s1));
  QVERIFY(QTest::qWaitFor([&] { return s1.sawStream(kTeacher, Source::Screen); }, 5000));
  QCOMPARE(s1.requestStream(kTeacher, Source::Screen), 0);
  QCOMPARE(s1.sendCommand(QString(), ClassCommandCode::Joined, QString()), 0);
  QVERIFY(run.waitFinished());
  QCOMPARE(run.exitCode(), 0);
  QVERIFY(run.warnings.isEmpty());
  QCOMPARE(run.stepLines().size(), 15);

  QCOMPARE(s1.codes(), (QList<ClassCommandCode>{ClassCommandCode::Display, ClassCommandCode::Chat, ClassCommandCode::CallOnStage, ClassCommandCode::CameraRequest, ClassCommandCode::Reward, ClassCommandCode::ForbidAll, ClassCommandCode::ForbidAll, ClassCommandCode::TakeOffStage, ClassCommandCode::TeacherLeaves}));
  // One-to-one only where a command is meant for this student alone.
  QList<bool> direct;
  for (const SeenCommand &c : qAsConst(s1.commands))
    direct.append(c.direct);
  QCOMPARE(direct, (QList<bool>{false, false, true, true, false, false, false, false, false}));
  const SeenCommand *onStage = s1.find(ClassCommandCode::CallOnStage);
  QCOMPARE(onStage->ext, QStringLiteral("LiveNotification"));
  QCOMPARE(onStage->data, QByteArray("{\n    \"actionParam\": \"\",\n    \"userAction\": 2049\n}\n"));
  QCOMPARE(onStage->from, kTeacher);
  QCOMPARE(s1.find(ClassCommandCode::Display)->param, QStringLiteral("Screen"));
  QCOMPARE(s1.find(ClassCommandCode::ForbidAll)->param, QStringLiteral("1"));
  QCOMPARE(s1.find(ClassCommandCode::ForbidAll, 6)->param, QStringLiteral("0"));
  QCOMPARE(s1.find(ClassCommandCode::TakeOffStage)->param, QStringLiteral("s1"));
  QCOMPARE(s1.find(ClassCommandCode::TeacherLeaves)->param, kTeacher);

  const QJsonObject chat = jsonOf(s1.find(ClassCommandCode::Chat)->param);
  QCOMPARE(chat.value("name").toString(), QStringLiteral("周老师"));
  QCOMPARE(chat.value("type").toString(), QStringLiteral("message"));
  QCOMPARE(chat.value("contents").toArray(),
           (QJsonArray{QJsonObject{{"type", "text"}, {"value", QStringLiteral("同学们好")}}}));
  const QJsonObject reward = jsonOf(s1.find(ClassCommandCode::Reward)->param);
  QCOMPARE(reward.value("type").toString(), QStringLiteral("101"));
  QCOMPARE(reward.value("amount").toInt(), 100);
  QCOMPARE(reward.value("receiver").toString(), QStringLiteral("s1"));
  QCOMPARE(reward.value("receiver_name").toString(), QStringLiteral("s1")); // no name announced
  QVERIFY(reward.value("message").toString().contains(QStringLiteral("[receiver_name]")));

  QVERIFY(s1.frames(Source::Camera) >= 2);
  const hubproto::MediaFrame camera = s1.lastFrame(Source::Camera);
  QCOMPARE(camera.userId, QByteArray("t1"));
  QCOMPARE(QSize(camera.width, camera.height), QSize(640, 480));
  QCOMPARE(camera.payload.size(), hubproto::i420Size(640, 480)); // decoded
  QVERIFY(s1.frames(Source::Screen) >= 2);
  const hubproto::MediaFrame screen = s1.lastFrame(Source::Screen);
  QCOMPARE(QSize(screen.width, screen.height), QSize(1280, 720));
  QCOMPARE(screen.payload.size(), hubproto::i420Size(1280, 720));

  QVERIFY(!hub.isOnline(kTeacher));
}

void TestTeacherClass::handRaiseCallsThatStudentOnStage() {
  Hub hub(kTeacherTestSecret);
  TeacherRun run;
  QVERIFY(run.start(&hub, R"({"steps": [
      {"do": "enter"},
      {"do": "waitMember", "user": "s1", "timeout": 5},
      {"do": "waitMember", "user": "s2", "timeout": 5},
      {"do": "wait", "seconds": 0.3},
      {"do": "waitCommand", "code": 2054, "as": "hand", "timeout": 5},
      {"do": "command", "code": 2049, "to": "${hand}"},
      {"do": "command", "code": 2050, "param": "${hand}"},
      {"do": "leave", "announce": false}]})"));
  QVERIFY(teacherInRoom(hub));
  HubStudent s1(&hub, QStringLiteral("s1"));
  HubStudent s2(&hub, QStringLiteral("s2"));
  QVERIFY(seat(s1));
  QVERIFY(seat(s2));
  // Raised while the teacher is still in another step: kept until a step takes them, the
  // earliest first.
  QCOMPARE(s2.sendCommand(kTeacher, ClassCommandCode::HandRaised, QStringLiteral("s2")), 0);
  QCOMPARE(s1.sendCommand(kTeacher, ClassCommandCode::HandRaised, QStringLiteral("s1")), 0);
  QVERIFY(run.waitFinished());
  QCOMPARE(run.exitCode(), 0);
  QCOMPARE(s2.codes(), (QList<ClassCommandCode>{ClassCommandCode::CallOnStage, ClassCommandCode::TakeOffStage}));
  QVERIFY(s2.find(ClassCommandCode::CallOnStage)->direct);
  QCOMPARE(s1.codes(), (QList<ClassCommandCode>{ClassCommandCode::TakeOffStage}));
  QCOMPARE(s1.find(ClassCommandCode::TakeOffStage)->param, QStringLiteral("s2"));
  QVERIFY(run.printed(QStringLiteral("2054 (raises a hand) from s2")));
}

// The hub lets only the called student up, from the moment the call arrives, and the class's
// "everyone off stage" takes it back.
void TestTeacherClass::stageCommandsCarryTheHubsStageGrant() {
  TwoStudentClass c;
  QVERIFY(c.start(R"(
      {"do": "command", "code": 2049, "to": "s1"},
      {"do": "waitCommand", "code": 2051, "from": "s1", "timeout": 5},
      {"do": "command", "code": 6},
      {"do": "leave", "announce": false})"));
  const QString stage = QLatin1String(hubproto::kRoleLiveGuest);
  QVERIFY(c.s1.waitForCode(ClassCommandCode::CallOnStage));
  QCOMPARE(c.s1.changeRole(stage), 0);
  QCOMPARE(c.s2.changeRole(stage), int(hubproto::StageNotGranted));
  QCOMPARE(c.s1.sendCommand(QString(), ClassCommandCode::OnStage, QStringLiteral("s1")), 0);
  QVERIFY(c.run.waitFinished());
  QCOMPARE(c.run.exitCode(), 0);
  QVERIFY(c.s1.find(ClassCommandCode::EveryoneOffStage));
  QCOMPARE(c.s1.changeRole(stage), int(hubproto::StageNotGranted)); // taken back, and back to Guest
  QVERIFY(c.run.warnings.isEmpty());
}

void TestTeacherClass::waitsTimeOutWithAClearMessage() {
  Hub hub(kTeacherTestSecret);
  {
    TeacherRun run;
    QVERIFY(run.start(&hub, R"({"steps": [
        {"do": "enter"},
        {"do": "waitMember", "user": "s9", "timeout": 0.2},
        {"do": "print", "text": "never"}]})"));
    QVERIFY(run.waitFinished());
    QCOMPARE(run.exitCode(), int(ScenarioRunner::StepFailed));
    QCOMPARE(run.runner->failure(),
             QStringLiteral("step 2 (\"waitMember\"): timed out after 0.2 s waiting for s9 to join"));
    QCOMPARE(run.warnings, QStringList{run.runner->failure()});
    QVERIFY(!run.printed(QStringLiteral("never")));
    QVERIFY(!hub.isOnline(kTeacher));
  }
  {
    TeacherRun run;
    QVERIFY(run.start(&hub, R"({"timeout": 0.1, "steps": [
        {"do": "enter"},
        {"do": "waitCommand", "code": 2054, "optional": true},
        {"do": "print", "text": "after the wait"}]})"));
    QVERIFY(run.waitFinished());
    QCOMPARE(run.exitCode(), 0);
    QVERIFY(run.printed(QStringLiteral("timed out after 0.1 s waiting for 2054 (raises a hand) from anyone "
                                       "(optional step, going on)")));
    QVERIFY(run.printed(QStringLiteral("after the wait")));
  }
}

void TestTeacherClass::chatPermissionSnapshotAnswersEachStudent() {
  TwoStudentClass c;
  QVERIFY(c.start(R"(
      {"do": "command", "code": 2110, "param": "1"},
      {"do": "command", "code": 2111, "to": "s1", "param": "1"},
      {"do": "command", "code": 2110, "param": "0"},
      {"do": "waitCommand", "code": 2112, "from": "s1", "timeout": 5},
      {"do": "waitCommand", "code": 2112, "from": "s2", "timeout": 5},
      {"do": "wait", "seconds": 0.2},
      {"do": "leave", "announce": false})"));
  TeacherRun &run = c.run;
  HubStudent &s1 = c.s1;
  HubStudent &s2 = c.s2;
  // Ask once the teacher's three settings are through: s1 gets all three, s2 the group's two.
  QVERIFY(QTest::qWaitFor([&] { return s1.codes().size() == 3 && s2.codes().size() == 2; }, 5000));
  QCOMPARE(s1.sendCommand(kTeacher, ClassCommandCode::AskChatPermission, QString()), 0);
  QCOMPARE(s2.sendCommand(kTeacher, ClassCommandCode::AskChatPermission, QString()), 0);
  QVERIFY(run.waitFinished());
  QCOMPARE(run.exitCode(), 0);
  const SeenCommand *forS1 = s1.find(ClassCommandCode::ChatSnapshot);
  const SeenCommand *forS2 = s2.find(ClassCommandCode::ChatSnapshot);
  QVERIFY(forS1 && forS2);
  QVERIFY(forS1->direct && forS2->direct);
  QCOMPARE(jsonOf(forS1->param), (QJsonObject{{"forbid_all", "0"}, {"forbid_you", "1"}}));
  QCOMPARE(jsonOf(forS2->param), (QJsonObject{{"forbid_all", "0"}, {"forbid_you", "0"}}));
  QVERIFY(!s2.find(ClassCommandCode::ForbidYou));
}

void TestTeacherClass::emptyCaptureNeverFallsBackToTheGroup() {
  Hub hub(kTeacherTestSecret);
  TeacherRun run;
  QVERIFY(run.start(&hub, R"({"steps": [
      {"do": "enter"},
      {"do": "waitMember", "user": "s1", "timeout": 5},
      {"do": "waitCommand", "code": 2054, "as": "hand", "timeout": 0.1, "optional": true},
      {"do": "command", "code": 2049, "to": "${hand}"},
      {"do": "leave"}]})"));
  QVERIFY(teacherInRoom(hub));
  HubStudent s1(&hub, QStringLiteral("s1"));
  QVERIFY(seat(s1));
  QVERIFY(run.waitFinished());
  QCOMPARE(run.exitCode(), int(ScenarioRunner::StepFailed));
  QVERIFY(run.runner->failure().startsWith(QStringLiteral("step 4 (\"command\"): \"to\": \"${hand}\" is empty")));
  QTest::qWait(100); // anything sent would have arrived by now
  QVERIFY(s1.commands.isEmpty());
}

void TestTeacherClass::rosterNoticesCountAndNamesFollowTheStudents() {
  Hub hub(kTeacherTestSecret);
  TeacherRun run;
  QVERIFY(run.start(&hub, R"({"steps": [
      {"do": "enter"},
      {"do": "waitMember", "as": "s", "timeout": 5},
      {"do": "waitCommand", "code": 2051, "from": "${s}", "timeout": 5},
      {"do": "chat", "text": "欢迎${s.name}"},
      {"do": "roster"},
      {"do": "roster", "notifyId": 7, "data": [{"uid": "${s}", "exit": "1"}]},
      {"do": "roster"},
      {"do": "leave", "announce": false}]})"));
  QVERIFY(teacherInRoom(hub));
  HubStudent s1(&hub, QStringLiteral("s1"));
  QVERIFY(seat(s1));
  QCOMPARE(s1.sendCommand(QString(), ClassCommandCode::MemberEntered, QStringLiteral("林小雨")), 0);
  QCOMPARE(s1.sendCommand(QString(), ClassCommandCode::OnStage, QStringLiteral("s1")), 0);
  QVERIFY(run.waitFinished());
  QCOMPARE(run.exitCode(), 0);
  QCOMPARE(s1.codes(), (QList<ClassCommandCode>{ClassCommandCode::Chat, ClassCommandCode::RosterNotice, ClassCommandCode::RosterNotice, ClassCommandCode::RosterNotice}));
  const QJsonObject chat = jsonOf(s1.find(ClassCommandCode::Chat)->param);
  QCOMPARE(chat.value("contents").toArray().at(0).toObject().value("value").toString(), QStringLiteral("欢迎林小雨"));
  const QJsonObject first = jsonOf(s1.commands.at(1).param);
  QCOMPARE(first.value("notify_id").toInt(), 1);
  QCOMPARE(first.value("data").toArray(),
           (QJsonArray{QJsonObject{{"uid", "s1"}, {"name", QStringLiteral("林小雨")}, {"role", "2"}, {"up", "1"}, {"exit", "0"}}}));
  const QJsonObject given = jsonOf(s1.commands.at(2).param);
  QCOMPARE(given.value("notify_id").toInt(), 7);
  QCOMPARE(given.value("data").toArray(), (QJsonArray{QJsonObject{{"uid", "s1"}, {"exit", "1"}}}));
  QCOMPARE(jsonOf(s1.commands.at(3).param).value("notify_id").toInt(), 8);
}

// Each classmate is a member of its own on the hub, on stage, sending the test pattern; they go
// when the teacher leaves.
void TestTeacherClass::classmatesComeOnStageWithTheirCameras() {
  Hub hub(kTeacherTestSecret);
  TeacherRun run;
  QVERIFY2(run.start(&hub, R"({"name": "同桌", "steps": [
      {"do": "enter"},
      {"do": "classmate", "user": "c1", "name": "陈子墨", "fps": 10},
      {"do": "classmate", "user": "c2", "name": "王思远", "fps": 10},
      {"do": "waitMember", "as": "student", "timeout": 5},
      {"do": "wait", "seconds": 0.8},
      {"do": "leave"}]})"),
           qPrintable(run.error));
  QVERIFY(teacherInRoom(hub));
  QVERIFY(QTest::qWaitFor([&] { return hub.isInRoom("c1", kTeacherTestRoom) && hub.isInRoom("c2", kTeacherTestRoom); }, 5000));
  HubStudent s1(&hub, QStringLiteral("s1"));
  QVERIFY(seat(s1));
  QVERIFY(QTest::qWaitFor([&] { return s1.sawStream("c1", Source::Camera) && s1.sawStream("c2", Source::Camera); }, 5000));
  QVERIFY(QTest::qWaitFor([&] { return s1.frames(Source::Camera) >= 4; }, 5000));
  const hubproto::MediaFrame frame = s1.lastFrame(Source::Camera);
  QVERIFY(frame.userId == "c1" || frame.userId == "c2");
  QCOMPARE(QSize(frame.width, frame.height), QSize(640, 480));
  // Decoded from VP8, so alike rather than equal: the best match among the pattern's pictures.
  double best = 0;
  for (int n = 0; n < 100; ++n)
    best = qMax(best, mediameasure::psnrY(frame.payload, ilivesdk::TestPatternCamera::picture(n), 640, 480));
  QVERIFY2(best >= 30, qPrintable(QStringLiteral("a classmate's frame is not a picture of the test-pattern camera (%1 dB)").arg(best)));

  QVERIFY(run.waitFinished());
  QCOMPARE(run.exitCode(), 0);
  QVERIFY(run.warnings.isEmpty());
  QVERIFY(run.printed(QStringLiteral("c1 (陈子墨) is on stage")));
  QVERIFY(QTest::qWaitFor([&] { return !hub.isOnline("c1") && !hub.isOnline("c2"); }, 5000));
}

void TestTeacherClass::earlyEnds_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<int>("exitCode");
  QTest::addColumn<QString>("failure");
  QTest::newRow("sign-in refused") << "bad signature" << int(ScenarioRunner::SignInFailed) << "70001";
  QTest::newRow("signed in elsewhere") << "kicked" << int(ScenarioRunner::ConnectionLost) << "signed in elsewhere";
  QTest::newRow("interrupted") << "interrupt" << int(ScenarioRunner::Interrupted) << "";
}

void TestTeacherClass::earlyEnds() {
  QFETCH(QString, how);
  QFETCH(int, exitCode);
  QFETCH(QString, failure);
  Hub hub(kTeacherTestSecret);
  TeacherRun run;
  const QByteArray secret = how == QLatin1String("bad signature") ? QByteArray("another secret") : kTeacherTestSecret;
  QVERIFY(run.start(&hub, R"({"steps": [{"do": "enter"}, {"do": "wait", "seconds": 30}, {"do": "leave"}]})", secret));
  HubStudent s1(&hub, QStringLiteral("s1"));
  HubStudent intruder(&hub, kTeacher);
  if (how != QLatin1String("bad signature")) {
    QVERIFY(teacherInRoom(hub));
    QVERIFY(seat(s1));
  }
  if (how == QLatin1String("kicked"))
    QCOMPARE(intruder.login(kTeacherTestSecret), 0);
  if (how == QLatin1String("interrupt"))
    run.runner->interrupt();
  QVERIFY(run.waitFinished(5000));
  QCOMPARE(run.exitCode(), exitCode);
  QVERIFY2(run.runner->failure().contains(failure), qPrintable(run.runner->failure()));
  // A sign-in elsewhere takes the seat over; every other early end leaves it.
  QCOMPARE(hub.isInRoom(kTeacher, kTeacherTestRoom), how == QLatin1String("kicked"));
  QVERIFY(!s1.find(ClassCommandCode::TeacherLeaves)); // an early end leaves quietly
}

QTEST_MAIN(TestTeacherClass)
#include "test_teacher_class.moc"

// The console's parts without windows: the roster as the students' commands shape it, the
// screen picture's size, and the class logic on an in-process hub with a student driven by
// the test (commands out, answers back, the discussion as the chat page gets it, the end).
#include "hubstudent.h"
#include "teacherrun.h"

#include "service/hub/hub.h"
#include "support/inprocesstransport.h"
#include "teacher/console/consoleclass.h"
#include "teacher/console/consolemedia.h"
#include "teacher/console/consoleroster.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString kTeacher = QStringLiteral("t1");
const QString kStudent = QStringLiteral("s1");

QJsonObject jsonOf(const QString &text) { return QJsonDocument::fromJson(text.toUtf8()).object(); }

ReceivedCommand said(const QString &from, ClassCommandCode code, const QString &param = QString()) {
  ReceivedCommand c;
  c.from = from;
  c.code = toWire(code);
  c.param = param;
  return c;
}

// The console's class in the test room, with a seated student.
struct ConsoleRoom {
  explicit ConsoleRoom(Hub *hub)
      : klass([hub] { return std::unique_ptr<sdk::HubTransport>(std::make_unique<sdk::InProcessTransport>(hub)); }), student(hub, kStudent), spy(&klass, &ConsoleClass::entered) {}

  bool enter() {
    klass.start(TeacherCredentials::signedLocally(kTeacherTestSecret, kTeacher, QStringLiteral("周老师"), kTeacherTestRoom,
                                                  QLatin1String(hubproto::kRoleLiveMaster)),
                kTeacherTestRoom);
    return spy.wait(5000) && student.login(kTeacherTestSecret) == 0 && student.join(kTeacherTestRoom) == 0 &&
           QTest::qWaitFor([this] { return klass.roster().find(kStudent) != nullptr; }, 5000);
  }

  // The student's plain chat: one text element to the group.
  void studentTypes(const QString &text) {
    hubproto::Element e;
    e.text = text;
    hubproto::Conversation conv;
    conv.peer = QString::number(kTeacherTestRoom);
    student.client.sendMessage(conv, {e}, nullptr, [](const sdk::HubReply &) {});
  }

  ConsoleClass klass;
  HubStudent student;
  QSignalSpy spy;
};

} // namespace

class TestConsoleParts : public QObject {
  Q_OBJECT

private slots:
  void rosterFollowsWhatStudentsSay() {
    ConsoleRoster roster;
    QSignalSpy hands(&roster, &ConsoleRoster::handRaised);
    roster.entered(kStudent);
    roster.commandReceived(said(kStudent, ClassCommandCode::MemberEntered, QStringLiteral("林小雨")));
    QCOMPARE(roster.nameOf(kStudent), QStringLiteral("林小雨"));
    roster.commandReceived(said(kStudent, ClassCommandCode::HandRaised, kStudent));
    QCOMPARE(hands.count(), 1);
    QVERIFY(roster.find(kStudent)->handRaised);
    roster.commandReceived(said(kStudent, ClassCommandCode::CameraOpened, kStudent));
    roster.commandReceived(said(kStudent, ClassCommandCode::OnStage, kStudent));
    const StudentState *s = roster.find(kStudent);
    QVERIFY(s->onStage && s->microphone && s->camera && !s->handRaised);
    roster.commandReceived(said(kStudent, ClassCommandCode::MicClosed, QStringLiteral("0")));
    QVERIFY(!roster.find(kStudent)->microphone && roster.find(kStudent)->onStage);
    roster.commandReceived(said(kStudent, ClassCommandCode::LeftStage, kStudent));
    QVERIFY(!roster.find(kStudent)->onStage);

    // What is not about the sender's own state makes no row.
    roster.commandReceived(said(QStringLiteral("stranger"), ClassCommandCode::Chat, QStringLiteral("{}")));
    QVERIFY(!roster.find(QStringLiteral("stranger")));
    QCOMPARE(roster.nameOf(QStringLiteral("stranger")), QStringLiteral("stranger"));

    // Leaving keeps who it was and the teacher's own setting, nothing of the class state.
    roster.setChatMuted(kStudent, true);
    roster.left(kStudent);
    s = roster.find(kStudent);
    QVERIFY(s && !s->inClass && !s->camera && s->chatMuted);
    QCOMPARE(s->name, QStringLiteral("林小雨"));
  }

  // The service's names fill in students who never announced themselves and follow renames;
  // members not in the roster (the teacher) make no row.
  void rosterTakesNamesFromTheService() {
    ConsoleRoster roster;
    roster.entered(kStudent);
    QCOMPARE(roster.nameOf(kStudent), kStudent);
    QSignalSpy changed(&roster, &ConsoleRoster::changed);
    roster.setNames({{kStudent, QStringLiteral("林小雨")}, {QStringLiteral("t20001"), QStringLiteral("周老师")}});
    QCOMPARE(roster.nameOf(kStudent), QStringLiteral("林小雨"));
    QVERIFY(!roster.find(QStringLiteral("t20001")));
    QCOMPARE(changed.count(), 1);
    roster.setNames({{kStudent, QStringLiteral("林小雨")}});
    QCOMPARE(changed.count(), 1); // nothing new, nothing redrawn
    roster.setNames({{kStudent, QString()}});
    QCOMPARE(roster.nameOf(kStudent), QStringLiteral("林小雨"));
    roster.setNames({{kStudent, QStringLiteral("林小雨_二班")}});
    QCOMPARE(roster.nameOf(kStudent), QStringLiteral("林小雨_二班"));
    QCOMPARE(changed.count(), 2);
  }

  void screenPictureFitsTheStream_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("sent");
    QTest::newRow("wide test screen") << QSize(2600, 1000) << QSize(1280, 492);
    QTest::newRow("4k") << QSize(3840, 2160) << QSize(1280, 720);
    QTest::newRow("small, odd sides") << QSize(1001, 501) << QSize(1000, 500);
    QTest::newRow("exactly the limit") << QSize(1280, 720) << QSize(1280, 720);
  }
  void screenPictureFitsTheStream() {
    QFETCH(QSize, screen);
    QFETCH(QSize, sent);
    QImage picture(screen, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QCOMPARE(ConsoleMedia::fitScreen(picture).size(), sent);
  }

  void commandsReachTheStudentAndAnswersComeBack() {
    Hub hub(kTeacherTestSecret);
    ConsoleRoom room(&hub);
    QVERIFY(room.enter());
    QVERIFY(hub.isInRoom(kTeacher, kTeacherTestRoom));
    HubStudent &s = room.student;

    room.klass.setChatMuted(kStudent, true);
    room.klass.setDiscussionOpen(false);
    QVERIFY(s.waitForCode(ClassCommandCode::ForbidAll));
    QCOMPARE(s.sendCommand(kTeacher, ClassCommandCode::AskChatPermission, QString()), 0);
    QVERIFY(s.waitForCode(ClassCommandCode::ChatSnapshot));
    const SeenCommand *mute = s.find(ClassCommandCode::ForbidYou);
    QVERIFY(mute && mute->direct && mute->param == QLatin1String("1"));
    const SeenCommand *snapshot = s.find(ClassCommandCode::ChatSnapshot);
    QVERIFY(snapshot->direct);
    QCOMPARE(jsonOf(snapshot->param), (QJsonObject{{"forbid_all", "1"}, {"forbid_you", "1"}}));

    // The hub lets the student on stage once the teacher called, and no longer once taken down.
    const QString onStage = QLatin1String(hubproto::kRoleLiveGuest);
    QVERIFY(s.changeRole(onStage) != 0);
    room.klass.callOnStage(kStudent, true);
    QTRY_VERIFY(s.find(ClassCommandCode::CameraRequest) != nullptr);
    QCOMPARE(s.changeRole(onStage), 0);
    QCOMPARE(s.changeRole(QLatin1String(hubproto::kRoleGuest)), 0);
    room.klass.takeOffStage(kStudent);
    QTRY_VERIFY(s.find(ClassCommandCode::TakeOffStage) != nullptr);
    QTRY_VERIFY(s.changeRole(onStage) != 0);
    room.klass.closeCamera(kStudent);
    room.klass.reward(kStudent, 30, QStringLiteral("恭喜[receiver_name]"));
    // Stage calls wait for the hub's grant, so they may come after the reward.
    for (ClassCommandCode code : {ClassCommandCode::CameraRequest, ClassCommandCode::TakeOffStage,
                                  ClassCommandCode::CameraOff, ClassCommandCode::Reward})
      QTRY_VERIFY(s.find(code) != nullptr);
    QVERIFY(s.find(ClassCommandCode::CameraRequest)->direct);
    QCOMPARE(s.find(ClassCommandCode::TakeOffStage)->param, kStudent);
    QVERIFY(!s.find(ClassCommandCode::TakeOffStage)->direct);
    QVERIFY(s.find(ClassCommandCode::CameraOff)->direct);
    const QJsonObject reward = jsonOf(s.find(ClassCommandCode::Reward)->param);
    QCOMPARE(reward.value("amount").toInt(), 30);
    QCOMPARE(reward.value("receiver").toString(), kStudent);
    QCOMPARE(reward.value("type").toString(), QStringLiteral("101"));
    QCOMPARE(reward.value("message").toString(), QStringLiteral("恭喜[receiver_name]"));

    // Everybody down: 6 to the class.
    room.klass.callOnStage(kStudent, false);
    QTRY_VERIFY(s.find(ClassCommandCode::CallOnStage) != nullptr);
    QCOMPARE(s.changeRole(onStage), 0);
    room.klass.everyoneOffStage();
    QTRY_VERIFY(s.find(ClassCommandCode::EveryoneOffStage) != nullptr);
    QVERIFY(!s.find(ClassCommandCode::EveryoneOffStage)->direct);
    QTRY_VERIFY(s.changeRole(onStage) != 0); // the grant went with the stage

    // The end: 2 with the teacher's id, then out of the room.
    QSignalSpy ended(&room.klass, &ConsoleClass::ended);
    room.klass.endClass();
    QVERIFY(ended.wait(5000));
    QCOMPARE(s.find(ClassCommandCode::TeacherLeaves)->param, kTeacher);
    QVERIFY(QTest::qWaitFor([&] { return !hub.isInRoom(kTeacher, kTeacherTestRoom); }, 5000));
  }

  void theDiscussionShowsEachMessageOnce() {
    Hub hub(kTeacherTestSecret);
    ConsoleRoom room(&hub);
    QVERIFY(room.enter());
    QSignalSpy shown(&room.klass, &ConsoleClass::chatToShow);

    // A client that only sends plain elements: shown from them, with the sender's name.
    QCOMPARE(room.student.sendCommand(QString(), ClassCommandCode::MemberEntered, QStringLiteral("林小雨")), 0);
    room.studentTypes(QStringLiteral("老师好"));
    QTRY_COMPARE(shown.count(), 1);
    const QJsonObject plain = jsonOf(shown.takeFirst().at(0).toString());
    QCOMPARE(plain.value("name").toString(), QStringLiteral("林小雨"));
    QCOMPARE(plain.value("contents").toArray().first().toObject().value("value").toString(), QStringLiteral("老师好"));

    // A client of this kind announces itself (2060); its chat comes as 2056 and only so.
    QCOMPARE(room.student.sendCommand(kTeacher, ClassCommandCode::JoinedNewVersion, QStringLiteral("ignore_in_new_version")), 0);
    const QString page = QStringLiteral("{\"name\":\"林小雨\",\"type\":\"message\",\"contents\":[]}");
    QCOMPARE(room.student.sendCommand(QString(), ClassCommandCode::Chat, page), 0);
    room.studentTypes(QStringLiteral("老师好"));
    QTRY_COMPARE(shown.count(), 1);
    QTest::qWait(300); // the plain copy would be right behind
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.first().at(0).toString(), page);

    // The teacher's own message is shown at once, as the hub does not echo it.
    hubproto::Element face;
    face.kind = hubproto::Element::Face;
    face.faceIndex = 7;
    room.klass.sendChat({face}, {{"name", room.klass.teacherName()}, {"type", "message"},
                                 {"contents", QJsonArray{ConsoleClass::pageItem(face)}}});
    QCOMPARE(shown.count(), 2);
    QCOMPARE(jsonOf(shown.last().at(0).toString()).value("contents").toArray().first().toObject().value("value").toString(),
             QStringLiteral("007"));
    QVERIFY(room.student.waitForCode(ClassCommandCode::Chat));
  }
};

QTEST_MAIN(TestConsoleParts)
#include "test_console_parts.moc"

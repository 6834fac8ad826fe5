// Who may do what in a room: the service's room grant on join, the teacher role, and the
// stage that only the room's teacher grants and takes back.
#include "hubfixture.h"

#include "protocol/classcommandcode.h"
#include "protocol/protocol.h"
#include "protocol/roomgrant.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonArray>
#include <QtTest>
#include <iterator>

using hubproto::Source;

namespace {

const QString kGuest = QStringLiteral("Guest");
const QString kStage = QStringLiteral("LiveGuest");
const QString kMaster = QStringLiteral("LiveMaster");
constexpr quint32 kRoom = 31;

// The grant text with one dot-separated field replaced.
QString withField(const QString &grant, int field, const QString &value) {
  QStringList parts = grant.split(QLatin1Char('.'));
  parts[field] = value;
  return parts.join(QLatin1Char('.'));
}

QJsonObject roleBody(const QString &role) { return QJsonObject{{QStringLiteral("role"), role}}; }

// A class command as a custom element, with userAction as given (number or text).
QJsonArray commandElem(const QJsonValue &userAction, const QString &ext = QStringLiteral("LiveNotification")) {
  const QJsonObject command{{QStringLiteral("userAction"), userAction}, {QStringLiteral("actionParam"), QString()}};
  return QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("custom")},
                                {QStringLiteral("data"), QString::fromUtf8(QJsonDocument(command).toJson())},
                                {QStringLiteral("ext"), ext}}};
}

int sendC2C(TestParticipant &from, const QString &to, const QJsonArray &elems) {
  const QJsonObject conv{{QStringLiteral("type"), QStringLiteral("c2c")}, {QStringLiteral("peer"), to}};
  return from.code(from.request(QStringLiteral("send"), QJsonObject{{QStringLiteral("conv"), conv},
                                                                     {QStringLiteral("elems"), elems}}));
}

} // namespace

class TestHubGrants : public QObject {
  Q_OBJECT
  Hub *hub = nullptr;
  TestParticipant *teacher = nullptr;
  TestParticipant *student = nullptr;

  int role(TestParticipant &p, const QString &r) { return p.code(p.request(QStringLiteral("role"), roleBody(r))); }
  QString publishCamera(TestParticipant &p) { return p.publish(QStringLiteral("camera"), true); }

private slots:
  void init() {
    hub = new Hub(kTestSecret);
    teacher = new TestParticipant(*hub);
    student = new TestParticipant(*hub);
    teacher->login(QStringLiteral("t"));
    QCOMPARE(teacher->join(kRoom, kMaster), 0);
    student->login(QStringLiteral("s"));
  }
  void cleanup() {
    delete student;
    delete teacher;
    delete hub;
  }

  void joinRefusesWhatIsNotTheUsersGrantForTheRoom_data() {
    QTest::addColumn<QString>("grant");
    QTest::addColumn<int>("code");
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QString good = testGrant(QStringLiteral("s"), kRoom);
    QTest::newRow("none") << QString() << int(hubproto::GrantMissing);
    QTest::newRow("not a grant") << QStringLiteral("v1.123.abc") << int(hubproto::GrantForged);
    QTest::newRow("other secret")
        << roomgrant::issueFor("not the service's secret", QStringLiteral("s"), kRoom, kGuest, 600) << int(hubproto::GrantForged);
    QTest::newRow("mac changed") << withField(good, 5, QStringLiteral("AAAA")) << int(hubproto::GrantForged);
    QTest::newRow("role raised") << withField(good, 2, kMaster) << int(hubproto::GrantForged);
    QTest::newRow("room changed") << withField(good, 1, QString::number(kRoom + 1)) << int(hubproto::GrantForged);
    QTest::newRow("expiry moved") << withField(good, 3, QString::number(now + 99999)) << int(hubproto::GrantForged);
    QTest::newRow("user swapped")
        << withField(good, 4, QString::fromLatin1(QByteArray("x").toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals)))
        << int(hubproto::GrantForged);
    QTest::newRow("expired") << roomgrant::issue(kTestSecret, {QStringLiteral("s"), kRoom, kGuest, now - 1}) << int(hubproto::GrantExpired);
    QTest::newRow("other room") << testGrant(QStringLiteral("s"), kRoom + 1) << int(hubproto::GrantOtherRoom);
    QTest::newRow("other user") << testGrant(QStringLiteral("t"), kRoom) << int(hubproto::GrantOtherUser);
    QTest::newRow("oversized") << QString(5000, QLatin1Char('g')) << int(hubproto::BadArgument);
  }
  void joinRefusesWhatIsNotTheUsersGrantForTheRoom() {
    QFETCH(QString, grant);
    QFETCH(int, code);
    teacher->take(QStringLiteral("member"));
    const QJsonObject r = student->request(QStringLiteral("join"), QJsonObject{{QStringLiteral("roomId"), qint64(kRoom)},
                                                                               {QStringLiteral("role"), kGuest},
                                                                               {QStringLiteral("authBuffer"), grant}});
    QCOMPARE(student->code(r), code);
    QVERIFY(!r.value(QStringLiteral("desc")).toString().isEmpty());
    QCOMPARE(hub->roomMembers(kRoom), QStringList{QStringLiteral("t")});
    QVERIFY(teacher->take(QStringLiteral("member")).isEmpty()); // nobody came in
    // Nothing of the room reaches the refused one.
    QCOMPARE(teacher->sendGroup(kRoom, QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("text")},
                                                              {QStringLiteral("text"), QStringLiteral("x")}}}),
             0);
    QVERIFY(student->take(QStringLiteral("message")).isEmpty());
  }

  void onlyTheTeachersGrantTeaches() {
    const QString guest = testGrant(QStringLiteral("s"), kRoom);
    QCOMPARE(student->joinWith(kRoom, kMaster, guest), int(hubproto::RoleNotGranted));
    QCOMPARE(student->joinWith(kRoom, kStage, guest), int(hubproto::StageNotGranted));
    QCOMPARE(student->joinWith(kRoom, kGuest, guest), 0);
    QCOMPARE(role(*student, kMaster), int(hubproto::RoleNotGranted));
    QCOMPARE(role(*student, kStage), int(hubproto::StageNotGranted));
    QVERIFY(publishCamera(*student).isEmpty());
    // The teacher's grant: any role, and back.
    QCOMPARE(role(*teacher, kGuest), 0);
    QCOMPARE(role(*teacher, kMaster), 0);
    // The stage grant lifts a student to LiveGuest, never to LiveMaster.
    QCOMPARE(teacher->grant(QStringLiteral("s")), 0);
    QCOMPARE(role(*student, kMaster), int(hubproto::RoleNotGranted));
  }

  void grantAndRevokeAreTheRoomsTeachers() {
    QCOMPARE(student->join(kRoom), 0);
    TestParticipant other(*hub), elsewhere(*hub), outsider(*hub);
    other.login(QStringLiteral("o"));
    QCOMPARE(other.join(kRoom), 0);
    elsewhere.login(QStringLiteral("e"));
    QCOMPARE(elsewhere.join(kRoom + 1, kMaster), 0); // a teacher, but of another room
    outsider.login(QStringLiteral("x"));

    QCOMPARE(student->grant(QStringLiteral("o")), int(hubproto::TeacherOnly));
    QCOMPARE(student->grant(QStringLiteral("s")), int(hubproto::TeacherOnly));
    QCOMPARE(student->revoke(QStringLiteral("o")), int(hubproto::TeacherOnly));
    QCOMPARE(elsewhere.grant(QStringLiteral("s")), int(hubproto::NotInRoom));
    QCOMPARE(outsider.grant(QStringLiteral("s")), int(hubproto::NotInRoom));
    QCOMPARE(teacher->grant(QStringLiteral("e")), int(hubproto::NotInRoom));
    QCOMPARE(teacher->grant(QStringLiteral("nobody")), int(hubproto::NotInRoom));
    QCOMPARE(teacher->grant(QStringLiteral("t")), int(hubproto::NotAllowed));
    QCOMPARE(teacher->code(teacher->request(QStringLiteral("grant"))), int(hubproto::BadArgument));
    QCOMPARE(role(other, kStage), int(hubproto::StageNotGranted)); // the refusals granted nothing
    QVERIFY(!hub->isOnStage(QStringLiteral("s"), kRoom));

    QCOMPARE(teacher->grant(QStringLiteral("s")), 0);
    // What other threads (the media server's guard) read follows the grant.
    QVERIFY(hub->isOnStage(QStringLiteral("s"), kRoom));
    QVERIFY(!hub->isOnStage(QStringLiteral("o"), kRoom));
    QVERIFY(!hub->isOnStage(QStringLiteral("s"), kRoom + 1));
    QCOMPARE(teacher->grant(QStringLiteral("s")), int(hubproto::Already));
    QCOMPARE(role(other, kStage), int(hubproto::StageNotGranted)); // one student's grant is its own
    QCOMPARE(role(*student, kStage), 0);
    QCOMPARE(teacher->revoke(QStringLiteral("s")), 0);
    QVERIFY(!hub->isOnStage(QStringLiteral("s"), kRoom));
  }

  void revokeEndsTheStudentsStreams() {
    TestParticipant listener(*hub);
    listener.login(QStringLiteral("l"));
    QCOMPARE(listener.join(kRoom), 0);
    QCOMPARE(student->join(kRoom), 0);
    QCOMPARE(teacher->grant(QStringLiteral("s")), 0);
    QList<QJsonObject> stage = student->take(QStringLiteral("stage"));
    QCOMPARE(stage.size(), 1);
    QCOMPARE(stage[0].value(QStringLiteral("granted")).toBool(), true);
    QCOMPARE(role(*student, kStage), 0);
    QVERIFY(!publishCamera(*student).isEmpty());
    student->frame(hubproto::encodeFrame(testVideoFrame(16, 16, Source::Camera)));
    QCOMPARE(listener.peer.frames.size(), 1);
    listener.take(QStringLiteral("stream"));
    listener.take(QStringLiteral("member"));

    QCOMPARE(teacher->revoke(QStringLiteral("s")), 0);
    // The room sees the streams end and the student back among the listeners.
    const QList<QJsonObject> streams = listener.take(QStringLiteral("stream"));
    QCOMPARE(streams.size(), 2); // camera and audio
    for (const QJsonObject &s : streams)
      QCOMPARE(s.value(QStringLiteral("state")).toString(), QStringLiteral("off"));
    const QList<QJsonObject> members = listener.take(QStringLiteral("member"));
    QCOMPARE(members.size(), 1);
    QCOMPARE(members[0].value(QStringLiteral("role")).toString(), kGuest);
    stage = student->take(QStringLiteral("stage"));
    QCOMPARE(stage.size(), 1);
    QCOMPARE(stage[0].value(QStringLiteral("granted")).toBool(), false);
    QCOMPARE(stage[0].value(QStringLiteral("role")).toString(), kGuest);
    // What it still sends goes nowhere; it cannot go back up by itself.
    student->frame(hubproto::encodeFrame(testVideoFrame(16, 16, Source::Camera)));
    QCOMPARE(listener.peer.frames.size(), 1);
    QCOMPARE(role(*student, kGuest), int(hubproto::RoleUnchanged));
    QCOMPARE(role(*student, kStage), int(hubproto::StageNotGranted));
    QVERIFY(publishCamera(*student).isEmpty());
    // Revoking again changes nothing and tells the room nothing new.
    QCOMPARE(teacher->revoke(QStringLiteral("s")), 0);
    QVERIFY(listener.take(QStringLiteral("member")).isEmpty());
  }

  // Every teacher's code, to the group or to one member, in any custom element, as a number or
  // as text: refused from a student and delivered to nobody; the teacher's go through, and the
  // members' own codes stay open to everybody.
  void teacherCommandsAreTheTeachersAlone() {
    QCOMPARE(student->join(kRoom), 0);
    TestParticipant other(*hub);
    other.login(QStringLiteral("o"));
    QCOMPARE(other.join(kRoom), 0);
    QCOMPARE(teacher->grant(QStringLiteral("s")), 0);
    QCOMPARE(role(*student, kStage), 0); // on stage is still no teacher
    for (ClassCommandCode code : kTeacherCommands) {
      const int wire = toWire(code);
      QCOMPARE(student->sendGroup(kRoom, commandElem(wire)), int(hubproto::TeacherOnly));
      QCOMPARE(student->sendGroup(kRoom, commandElem(QString::number(wire), QStringLiteral("x"))),
               int(hubproto::TeacherOnly));
      QCOMPARE(sendC2C(*student, QStringLiteral("o"), commandElem(wire)), int(hubproto::TeacherOnly));
      QCOMPARE(sendC2C(*student, QStringLiteral("t"), commandElem(wire)), int(hubproto::TeacherOnly));
    }
    QVERIFY(other.take(QStringLiteral("message")).isEmpty());
    QVERIFY(teacher->take(QStringLiteral("message")).isEmpty());
    // A text element that looks like a command is no command.
    QCOMPARE(student->sendGroup(kRoom, QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("text")},
                                                              {QStringLiteral("text"), QStringLiteral("{\"userAction\":2}")}}}),
             0);
    for (ClassCommandCode code : {ClassCommandCode::MemberEntered, ClassCommandCode::Chat, ClassCommandCode::OnStage,
                                  ClassCommandCode::HandRaised, ClassCommandCode::AskChatPermission})
      QCOMPARE(student->sendGroup(kRoom, commandElem(toWire(code))), 0);
    QCOMPARE(other.take(QStringLiteral("message")).size(), 6);
    for (ClassCommandCode code : kTeacherCommands)
      QCOMPARE(teacher->sendGroup(kRoom, commandElem(toWire(code))), 0);
    QCOMPARE(other.take(QStringLiteral("message")).size(), int(std::size(kTeacherCommands)));
    QCOMPARE(sendC2C(*teacher, QStringLiteral("s"), commandElem(toWire(ClassCommandCode::CallOnStage))), 0);
  }

  void stageGrantEndsWithLeavingTheRoom() {
    QCOMPARE(student->join(kRoom), 0);
    QCOMPARE(teacher->grant(QStringLiteral("s")), 0);
    QCOMPARE(student->code(student->request(QStringLiteral("quit"))), 0);
    QVERIFY(!hub->isOnStage(QStringLiteral("s"), kRoom));
    QCOMPARE(student->join(kRoom), 0);
    QCOMPARE(role(*student, kStage), int(hubproto::StageNotGranted));
  }
};

QTEST_GUILESS_MAIN(TestHubGrants)
#include "test_hubgrants.moc"

// Sign-in, rooms, roles, presence and IM messages through the hub core.
#include "hubfixture.h"

#include "protocol/protocol.h"
#include "protocol/usersig.h"

#include <QDateTime>
#include <QJsonArray>
#include <QtTest>

#include <atomic>
#include <thread>

namespace {
QJsonArray textElem(const QString &text) {
  return QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("text")},
                                {QStringLiteral("text"), text}}};
}
QJsonObject loginBody(const QString &user, const QString &sig) {
  return QJsonObject{{QStringLiteral("userId"), user}, {QStringLiteral("userSig"), sig}};
}
QJsonObject c2cSend(const QString &to, const QJsonArray &elems) {
  return QJsonObject{{QStringLiteral("conv"), QJsonObject{{QStringLiteral("type"), QStringLiteral("c2c")},
                                                          {QStringLiteral("peer"), to}}},
                     {QStringLiteral("elems"), elems}};
}
} // namespace

class TestHubCore : public QObject {
  Q_OBJECT
private slots:
  void signInChecksTheSignature() {
    Hub hub(kTestSecret);
    TestParticipant p(hub);
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QJsonObject r = p.request(QStringLiteral("login"), loginBody(QStringLiteral("s1"),
                                                                 usersig::issue("wrong", QStringLiteral("s1"), now + 60)));
    QCOMPARE(p.code(r), int(hubproto::SigInvalid));
    QVERIFY(!r.value(QStringLiteral("desc")).toString().isEmpty());
    r = p.request(QStringLiteral("login"), loginBody(QStringLiteral("s1"),
                                                     usersig::issue(kTestSecret, QStringLiteral("s1"), now - 1)));
    QCOMPARE(p.code(r), int(hubproto::SigExpired));
    r = p.request(QStringLiteral("login"), loginBody(QStringLiteral("s1"), QStringLiteral("garbage")));
    QCOMPARE(p.code(r), int(hubproto::SigInvalid));
    QVERIFY(!hub.isOnline(QStringLiteral("s1")));
    QCOMPARE(p.login(QStringLiteral("s1")), 0);
    QVERIFY(hub.isOnline(QStringLiteral("s1")));
    QCOMPARE(p.login(QStringLiteral("s1")), int(hubproto::Already));
    QCOMPARE(p.login(QStringLiteral("s2")), int(hubproto::NotAllowed));
  }

  void requestsBeforeSignInAreRefused() {
    Hub hub(kTestSecret);
    TestParticipant p(hub);
    QCOMPARE(p.join(5), int(hubproto::NotSignedIn));
    QCOMPARE(p.sendGroup(5, textElem(QStringLiteral("x"))), int(hubproto::NotSignedIn));
    QCOMPARE(p.code(p.request(QStringLiteral("ping"))), 0);
  }

  void secondSignInKicksTheFirst() {
    Hub hub(kTestSecret);
    TestParticipant first(hub), second(hub), teacher(hub);
    QCOMPARE(first.login(QStringLiteral("s1")), 0);
    QCOMPARE(first.join(7), 0);
    QCOMPARE(teacher.login(QStringLiteral("t")), 0);
    QCOMPARE(teacher.join(7, QStringLiteral("LiveMaster")), 0);
    QCOMPARE(second.login(QStringLiteral("s1")), 0);
    const QList<QJsonObject> kicked = first.take(QStringLiteral("kicked"));
    QCOMPARE(kicked.size(), 1);
    QCOMPARE(kicked[0].value(QStringLiteral("code")).toInt(), int(hubproto::Kicked));
    QVERIFY(first.peer.closed);
    QCOMPARE(hub.connectionCount(), 2);
    // The new connection takes the first one's seat over: the teacher sees nobody leave or
    // come, so the student never shows twice nor flickers out.
    QVERIFY(teacher.take(QStringLiteral("member")).isEmpty());
    QVERIFY(hub.isOnline(QStringLiteral("s1")));
    QVERIFY(hub.isInRoom(QStringLiteral("s1"), 7));
    QCOMPARE(second.join(7), 0);
    QVERIFY(teacher.take(QStringLiteral("member")).isEmpty());
    QVERIFY(hub.isInRoom(QStringLiteral("s1"), 7));
  }

  void joinTellsTheRoomAndListsMembers() {
    Hub hub(kTestSecret);
    TestParticipant teacher(hub), student(hub);
    teacher.login(QStringLiteral("t"));
    QCOMPARE(teacher.join(42, QStringLiteral("LiveMaster")), 0);
    QVERIFY(!teacher.publish(QStringLiteral("camera")).isEmpty());
    student.login(QStringLiteral("学生"));
    QJsonObject body{{QStringLiteral("roomId"), 42}, {QStringLiteral("role"), QStringLiteral("Guest")},
                     {QStringLiteral("authBuffer"), testGrant(QStringLiteral("学生"), 42)}};
    const QJsonObject r = student.request(QStringLiteral("join"), body);
    QCOMPARE(student.code(r), 0);
    QCOMPARE(r.value(QStringLiteral("groupId")).toString(), QStringLiteral("42"));
    const QJsonArray members = r.value(QStringLiteral("members")).toArray();
    QCOMPARE(members.size(), 1);
    QCOMPARE(members[0].toObject().value(QStringLiteral("userId")).toString(), QStringLiteral("t"));
    QCOMPARE(members[0].toObject().value(QStringLiteral("streams")).toArray(),
             QJsonArray{QStringLiteral("camera")});
    const QList<QJsonObject> enter = teacher.take(QStringLiteral("member"));
    QCOMPARE(enter.size(), 1);
    QCOMPARE(enter[0].value(QStringLiteral("event")).toString(), QStringLiteral("enter"));
    QCOMPARE(enter[0].value(QStringLiteral("userId")).toString(), QStringLiteral("学生"));
    QCOMPARE(student.join(42), int(hubproto::Already));
    QCOMPARE(hub.roomMembers(42), (QStringList{QStringLiteral("t"), QStringLiteral("学生")}));
  }

  void joinRefusesBadArguments_data() {
    QTest::addColumn<QJsonObject>("body");
    QTest::newRow("no room") << QJsonObject{{QStringLiteral("role"), QStringLiteral("Guest")}};
    QTest::newRow("room 0") << QJsonObject{{QStringLiteral("roomId"), 0}, {QStringLiteral("role"), QStringLiteral("Guest")}};
    QTest::newRow("negative room") << QJsonObject{{QStringLiteral("roomId"), -3}, {QStringLiteral("role"), QStringLiteral("Guest")}};
    QTest::newRow("room too big") << QJsonObject{{QStringLiteral("roomId"), 4294967296.0}, {QStringLiteral("role"), QStringLiteral("Guest")}};
    QTest::newRow("room as text") << QJsonObject{{QStringLiteral("roomId"), QStringLiteral("5")}, {QStringLiteral("role"), QStringLiteral("Guest")}};
    QTest::newRow("unknown role") << QJsonObject{{QStringLiteral("roomId"), 5}, {QStringLiteral("role"), QStringLiteral("Admin")}};
    QTest::newRow("auth not text") << QJsonObject{{QStringLiteral("roomId"), 5}, {QStringLiteral("role"), QStringLiteral("Guest")}, {QStringLiteral("authBuffer"), 1}};
  }
  void joinRefusesBadArguments() {
    QFETCH(QJsonObject, body);
    Hub hub(kTestSecret);
    TestParticipant p(hub);
    p.login(QStringLiteral("u"));
    QCOMPARE(p.code(p.request(QStringLiteral("join"), body)), int(hubproto::BadArgument));
    QVERIFY(hub.roomMembers(5).isEmpty());
  }

  void rolesChangeWithNotices() {
    Hub hub(kTestSecret);
    TestParticipant teacher(hub), student(hub);
    teacher.login(QStringLiteral("t"));
    teacher.join(1, QStringLiteral("LiveMaster"));
    student.login(QStringLiteral("s"));
    student.join(1);
    QCOMPARE(teacher.grant(QStringLiteral("s")), 0);
    teacher.take(QStringLiteral("member"));
    QJsonObject stage{{QStringLiteral("role"), QStringLiteral("LiveGuest")}};
    QCOMPARE(student.code(student.request(QStringLiteral("role"), stage)), 0);
    QCOMPARE(student.code(student.request(QStringLiteral("role"), stage)), int(hubproto::RoleUnchanged));
    const QList<QJsonObject> notices = teacher.take(QStringLiteral("member"));
    QCOMPARE(notices.size(), 1);
    QCOMPARE(notices[0].value(QStringLiteral("event")).toString(), QStringLiteral("role"));
    QCOMPARE(notices[0].value(QStringLiteral("role")).toString(), QStringLiteral("LiveGuest"));
    QCOMPARE(student.code(student.request(QStringLiteral("role"),
                                          QJsonObject{{QStringLiteral("role"), QStringLiteral("King")}})),
             int(hubproto::BadArgument));
    QCOMPARE(student.code(student.request(QStringLiteral("quit"))), 0);
    QCOMPARE(student.code(student.request(QStringLiteral("role"), stage)), int(hubproto::NotInRoom));
    QCOMPARE(student.code(student.request(QStringLiteral("quit"))), int(hubproto::NotInRoom));
  }

  // After its seat was held in vain.
  void vanishingParticipantLeavesItsRoom() {
    Hub hub(kTestSecret);
    HubLimits limits;
    limits.seatHoldMs = 200;
    hub.setLimits(limits);
    TestParticipant teacher(hub);
    teacher.login(QStringLiteral("t"));
    teacher.join(3, QStringLiteral("LiveMaster"));
    {
      TestParticipant student(hub);
      student.login(QStringLiteral("s"));
      student.join(3);
      QVERIFY(hub.isInRoom(QStringLiteral("s"), 3));
      teacher.take(QStringLiteral("member"));
    }
    QVERIFY(!hub.isOnline(QStringLiteral("s")));
    QVERIFY(hub.isInRoom(QStringLiteral("s"), 3));
    QVERIFY(teacher.take(QStringLiteral("member")).isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!hub.isInRoom(QStringLiteral("s"), 3), 5000);
    const QList<QJsonObject> exit = teacher.take(QStringLiteral("member"));
    QCOMPARE(exit.size(), 1);
    QCOMPARE(exit[0].value(QStringLiteral("event")).toString(), QStringLiteral("exit"));
  }

  void presenceCanBeAskedFromAnotherThread() {
    Hub hub(kTestSecret);
    HubLimits limits;
    limits.messagesPerSecond = 1e6;
    limits.messageBurst = 1e6;
    hub.setLimits(limits);
    TestParticipant teacher(hub);
    teacher.login(QStringLiteral("t"));
    std::atomic<bool> stop{false};
    std::atomic<int> seen{0};
    std::thread reader([&] {
      while (!stop)
        seen += hub.isInRoom(QStringLiteral("t"), 9) ? 1 : 0;
    });
    for (int i = 0; i < 200; ++i) {
      QCOMPARE(teacher.join(9, QStringLiteral("LiveMaster")), 0);
      QCOMPARE(teacher.code(teacher.request(QStringLiteral("quit"))), 0);
    }
    QCOMPARE(teacher.join(9, QStringLiteral("LiveMaster")), 0);
    QElapsedTimer clock;
    clock.start();
    while (seen == 0 && clock.elapsed() < 5000)
      std::this_thread::yield();
    stop = true;
    reader.join();
    QVERIFY(hub.isInRoom(QStringLiteral("t"), 9));
  }

  void groupMessagesReachTheOtherMembersStamped() {
    Hub hub(kTestSecret);
    // The teacher sends: a class command of the teacher's and board data are the teacher's.
    TestParticipant teacher(hub), student(hub), other(hub), elsewhere(hub);
    teacher.login(QStringLiteral("张三"));
    teacher.join(10, QStringLiteral("LiveMaster"));
    student.login(QStringLiteral("t"));
    student.join(10);
    other.login(QStringLiteral("s2"));
    other.join(10);
    elsewhere.login(QStringLiteral("s3"));
    elsewhere.join(11);
    const QJsonArray elems{
        QJsonObject{{QStringLiteral("type"), QStringLiteral("text")}, {QStringLiteral("text"), QStringLiteral("你好")}},
        QJsonObject{{QStringLiteral("type"), QStringLiteral("face")}, {QStringLiteral("index"), 7}, {QStringLiteral("data"), QString()}},
        QJsonObject{{QStringLiteral("type"), QStringLiteral("custom")}, {QStringLiteral("data"), QStringLiteral("{\"userAction\":2049}")}, {QStringLiteral("ext"), QStringLiteral("LiveNotification")}}};
    QJsonObject body{{QStringLiteral("conv"), QJsonObject{{QStringLiteral("type"), QStringLiteral("group")}, {QStringLiteral("peer"), QStringLiteral("10")}}},
                     {QStringLiteral("elems"), elems},
                     {QStringLiteral("offlinePushExt"), QStringLiteral("TXWhiteBoardExt")}};
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    const QJsonObject r = teacher.request(QStringLiteral("send"), body);
    QCOMPARE(teacher.code(r), 0);
    for (TestParticipant *to : {&student, &other}) {
      const QList<QJsonObject> got = to->take(QStringLiteral("message"));
      QCOMPARE(got.size(), 1);
      const QJsonObject m = got[0];
      QCOMPARE(m.value(QStringLiteral("from")).toString(), QStringLiteral("张三"));
      QCOMPARE(m.value(QStringLiteral("elems")).toArray(), elems);
      QCOMPARE(m.value(QStringLiteral("offlinePushExt")).toString(), QStringLiteral("TXWhiteBoardExt"));
      QCOMPARE(m.value(QStringLiteral("time")), r.value(QStringLiteral("time")));
      QCOMPARE(m.value(QStringLiteral("seq")), r.value(QStringLiteral("seq")));
      QVERIFY(m.value(QStringLiteral("time")).toDouble() >= before);
      QVERIFY(m.value(QStringLiteral("time")).toDouble() <= QDateTime::currentSecsSinceEpoch());
    }
    QVERIFY(teacher.take(QStringLiteral("message")).isEmpty());
    QVERIFY(elsewhere.take(QStringLiteral("message")).isEmpty());
  }

  void messagesNeverCrossIntoAnotherRoom() {
    Hub hub(kTestSecret);
    TestParticipant intruder(hub), member(hub), outsider(hub);
    intruder.login(QStringLiteral("i"));
    intruder.join(1);
    member.login(QStringLiteral("m"));
    member.join(2);
    outsider.login(QStringLiteral("o"));
    QCOMPARE(intruder.sendGroup(2, textElem(QStringLiteral("hi"))), int(hubproto::NotInRoom));
    QCOMPARE(outsider.sendGroup(2, textElem(QStringLiteral("hi"))), int(hubproto::NotInRoom));
    QCOMPARE(intruder.code(intruder.request(QStringLiteral("send"), c2cSend(QStringLiteral("m"), textElem(QStringLiteral("hi"))))),
             int(hubproto::NotInRoom));
    QCOMPARE(intruder.code(intruder.request(QStringLiteral("send"), c2cSend(QStringLiteral("nobody"), textElem(QStringLiteral("hi"))))),
             int(hubproto::PeerOffline));
    QVERIFY(member.take(QStringLiteral("message")).isEmpty());
  }

  void oneToOneMessageShowsTheSenderAsConversation() {
    Hub hub(kTestSecret);
    TestParticipant teacher(hub), student(hub), bystander(hub);
    teacher.login(QStringLiteral("t"));
    teacher.join(4, QStringLiteral("LiveMaster"));
    student.login(QStringLiteral("s"));
    student.join(4);
    bystander.login(QStringLiteral("b"));
    bystander.join(4);
    QCOMPARE(student.code(student.request(QStringLiteral("send"), c2cSend(QStringLiteral("t"), textElem(QStringLiteral("2060"))))), 0);
    const QList<QJsonObject> got = teacher.take(QStringLiteral("message"));
    QCOMPARE(got.size(), 1);
    const QJsonObject conv = got[0].value(QStringLiteral("conv")).toObject();
    QCOMPARE(conv.value(QStringLiteral("type")).toString(), QStringLiteral("c2c"));
    QCOMPARE(conv.value(QStringLiteral("peer")).toString(), QStringLiteral("s"));
    QVERIFY(bystander.take(QStringLiteral("message")).isEmpty());
    QCOMPARE(student.code(student.request(QStringLiteral("send"), c2cSend(QStringLiteral("s"), textElem(QStringLiteral("me"))))),
             int(hubproto::NotInRoom));
  }
};

QTEST_GUILESS_MAIN(TestHubCore)
#include "test_hubcore.moc"

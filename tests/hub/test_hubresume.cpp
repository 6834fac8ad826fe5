// Coming back after a cut: the held seat, the room's backlog, resent messages taken once.
#include "hubfixture.h"

#include "protocol/protocol.h"
#include "service/hub/roombacklog.h"

#include <QJsonArray>
#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr quint32 kRoom = 21;

QJsonArray textElem(const QString &text) {
  return QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("text")}, {QStringLiteral("text"), text}}};
}

QJsonObject sendBody(const QString &convType, const QString &peer, const QString &text,
                     const QString &msgKey = QString()) {
  QJsonObject body{{QStringLiteral("conv"), QJsonObject{{QStringLiteral("type"), convType}, {QStringLiteral("peer"), peer}}},
                   {QStringLiteral("elems"), textElem(text)}};
  if (!msgKey.isEmpty())
    body.insert(QStringLiteral("msgKey"), msgKey);
  return body;
}

QJsonObject joinBody(const QString &userId, quint32 grantRoom, const QString &role, const QJsonValue &resumeAfter) {
  QJsonObject body{{QStringLiteral("roomId"), static_cast<qint64>(kRoom)},
                   {QStringLiteral("role"), role},
                   {QStringLiteral("authBuffer"), testGrant(userId, grantRoom)}};
  if (!resumeAfter.isUndefined())
    body.insert(QStringLiteral("resumeAfter"), resumeAfter);
  return body;
}

QStringList texts(const QList<QJsonObject> &messages) {
  QStringList out;
  for (const QJsonObject &m : messages)
    out.append(m.value(QStringLiteral("elems")).toArray().at(0).toObject().value(QStringLiteral("text")).toString());
  return out;
}

qint64 seqOf(const QJsonObject &o) { return static_cast<qint64>(o.value(QStringLiteral("seq")).toDouble()); }
} // namespace

class TestHubResume : public QObject {
  Q_OBJECT
private slots:
  // The student drops off stage with its camera on; the teacher talks on and writes to it;
  // the student comes back on a new connection and gets exactly what it missed.
  void cutStudentComesBackUnseenWithWhatItMissed() {
    Hub hub(kTestSecret);
    QSignalSpy left(&hub, &Hub::roomLeft);
    QSignalSpy entered(&hub, &Hub::roomEntered);
    TestParticipant teacher(hub);
    teacher.login(QStringLiteral("t"));
    QCOMPARE(teacher.join(kRoom, QStringLiteral("LiveMaster")), 0);
    auto first = std::make_unique<TestParticipant>(hub);
    first->login(QStringLiteral("s"));
    QCOMPARE(first->join(kRoom), 0);
    QCOMPARE(teacher.grant(QStringLiteral("s")), 0);
    QCOMPARE(first->code(first->request(QStringLiteral("role"), {{QStringLiteral("role"), QStringLiteral("LiveGuest")}})), 0);
    QVERIFY(!first->publish(QStringLiteral("camera"), true).isEmpty());
    QCOMPARE(teacher.code(teacher.request(QStringLiteral("send"), sendBody(QStringLiteral("group"), QString::number(kRoom), QStringLiteral("before")))), 0);
    const qint64 lastSeen = seqOf(first->take(QStringLiteral("message")).last());
    teacher.take(QStringLiteral("member"));
    teacher.take(QStringLiteral("stream"));

    first->vanish();
    // Its streams end, but nobody sees it leave and the service still counts it.
    QCOMPARE(teacher.take(QStringLiteral("stream")).size(), 2);
    QVERIFY(teacher.take(QStringLiteral("member")).isEmpty());
    QVERIFY(hub.isInRoom(QStringLiteral("s"), kRoom));
    QCOMPARE(left.count(), 0);

    for (const QString &text : {QStringLiteral("one"), QStringLiteral("two")})
      QCOMPARE(teacher.code(teacher.request(QStringLiteral("send"), sendBody(QStringLiteral("group"), QString::number(kRoom), text))), 0);
    QCOMPARE(teacher.code(teacher.request(QStringLiteral("send"), sendBody(QStringLiteral("c2c"), QStringLiteral("s"), QStringLiteral("three")))), 0);

    TestParticipant second(hub);
    second.login(QStringLiteral("s"));
    // Straight back on stage: the teacher's grant held with the seat.
    const QJsonObject r = second.request(QStringLiteral("join"), joinBody(QStringLiteral("s"), kRoom, QStringLiteral("LiveGuest"), lastSeen));
    QCOMPARE(second.code(r), 0);
    QVERIFY(hub.isOnStage(QStringLiteral("s"), kRoom));
    QCOMPARE(r.value(QStringLiteral("resumed")).toInt(), 3);
    QVERIFY(r.value(QStringLiteral("complete")).toBool());
    const QList<QJsonObject> missed = second.take(QStringLiteral("message"));
    QCOMPARE(texts(missed), (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
    QVERIFY(seqOf(missed[0]) < seqOf(missed[1]) && seqOf(missed[1]) < seqOf(missed[2]));
    QCOMPARE(missed[2].value(QStringLiteral("conv")).toObject().value(QStringLiteral("peer")).toString(), QStringLiteral("t"));
    QVERIFY(teacher.take(QStringLiteral("member")).isEmpty());
    QVERIFY(!second.publish(QStringLiteral("camera"), true).isEmpty());
    QCOMPARE(teacher.take(QStringLiteral("stream")).size(), 2);

    // Later messages come once, live.
    QCOMPARE(teacher.code(teacher.request(QStringLiteral("send"), sendBody(QStringLiteral("group"), QString::number(kRoom), QStringLiteral("after")))), 0);
    QCOMPARE(texts(second.take(QStringLiteral("message"))), QStringList{QStringLiteral("after")});
    QCOMPARE(entered.count(), 2); // the teacher's and the student's first entry only
    QCOMPARE(left.count(), 0);
  }

  // A seat nobody comes back for ends as a plain exit, once; a student that comes back later
  // enters anew, off stage.
  void seatNotTakenInTimeEndsInAnExit() {
    Hub hub(kTestSecret);
    HubLimits limits;
    limits.seatHoldMs = 150;
    hub.setLimits(limits);
    QSignalSpy left(&hub, &Hub::roomLeft);
    TestParticipant teacher(hub);
    teacher.login(QStringLiteral("t"));
    teacher.join(kRoom, QStringLiteral("LiveMaster"));
    {
      TestParticipant student(hub);
      student.login(QStringLiteral("s"));
      student.join(kRoom);
      QCOMPARE(teacher.grant(QStringLiteral("s")), 0);
    }
    teacher.take(QStringLiteral("member"));
    QTRY_COMPARE_WITH_TIMEOUT(left.count(), 1, 5000);
    const QList<QJsonObject> exits = teacher.take(QStringLiteral("member"));
    QCOMPARE(exits.size(), 1);
    QCOMPARE(exits[0].value(QStringLiteral("event")).toString(), QStringLiteral("exit"));
    QCOMPARE(exits[0].value(QStringLiteral("userId")).toString(), QStringLiteral("s"));
    QVERIFY(!hub.isInRoom(QStringLiteral("s"), kRoom));

    TestParticipant again(hub);
    again.login(QStringLiteral("s"));
    QCOMPARE(again.code(again.request(QStringLiteral("join"), joinBody(QStringLiteral("s"), kRoom, QStringLiteral("LiveGuest"), 0))),
             int(hubproto::StageNotGranted));
    QCOMPARE(again.join(kRoom), 0);
    QCOMPARE(teacher.take(QStringLiteral("member")).value(0).value(QStringLiteral("event")).toString(), QStringLiteral("enter"));
    // c2c to someone who left for good is refused again.
    again.vanish();
    QTRY_VERIFY_WITH_TIMEOUT(!hub.isInRoom(QStringLiteral("s"), kRoom), 5000);
    QCOMPARE(teacher.code(teacher.request(QStringLiteral("send"), sendBody(QStringLiteral("c2c"), QStringLiteral("s"), QStringLiteral("x")))),
             int(hubproto::PeerOffline));
  }

  // Resuming is a join: only with a grant for that room, and never someone else's mail.
  void resumeNeedsTheRoomsGrant() {
    Hub hub(kTestSecret);
    TestParticipant teacher(hub), other(hub), intruder(hub);
    teacher.login(QStringLiteral("t"));
    teacher.join(kRoom, QStringLiteral("LiveMaster"));
    other.login(QStringLiteral("o"));
    other.join(kRoom);
    QCOMPARE(teacher.code(teacher.request(QStringLiteral("send"), sendBody(QStringLiteral("c2c"), QStringLiteral("o"), QStringLiteral("private")))), 0);
    QCOMPARE(teacher.code(teacher.request(QStringLiteral("send"), sendBody(QStringLiteral("group"), QString::number(kRoom), QStringLiteral("all")))), 0);
    intruder.login(QStringLiteral("i"));
    QCOMPARE(intruder.code(intruder.request(QStringLiteral("join"), joinBody(QStringLiteral("i"), kRoom + 1, QStringLiteral("Guest"), 0))),
             int(hubproto::GrantOtherRoom));
    QVERIFY(intruder.take(QStringLiteral("message")).isEmpty());
    for (const QJsonValue &bad : {QJsonValue(-1), QJsonValue(1.5), QJsonValue(QStringLiteral("0")), QJsonValue(1e300)})
      QCOMPARE(intruder.code(intruder.request(QStringLiteral("join"), joinBody(QStringLiteral("i"), kRoom, QStringLiteral("Guest"), bad))),
               int(hubproto::BadArgument));
    const QJsonObject r = intruder.request(QStringLiteral("join"), joinBody(QStringLiteral("i"), kRoom, QStringLiteral("Guest"), 0));
    QCOMPARE(intruder.code(r), 0);
    QCOMPARE(texts(intruder.take(QStringLiteral("message"))), QStringList{QStringLiteral("all")});
    QVERIFY(r.value(QStringLiteral("lastSeq")).toInt() >= 2);
  }

  // The same message sent again after a cut (its reply was lost) goes out once.
  void resentMessageIsTakenOnce() {
    Hub hub(kTestSecret);
    TestParticipant teacher(hub), student(hub);
    teacher.login(QStringLiteral("t"));
    teacher.join(kRoom, QStringLiteral("LiveMaster"));
    student.login(QStringLiteral("s"));
    student.join(kRoom);
    const QJsonObject body = sendBody(QStringLiteral("group"), QString::number(kRoom), QStringLiteral("hi"), QStringLiteral("k-1"));
    const QJsonObject r1 = student.request(QStringLiteral("send"), body);
    const QJsonObject r2 = student.request(QStringLiteral("send"), body);
    QCOMPARE(student.code(r1), 0);
    QCOMPARE(student.code(r2), 0);
    QCOMPARE(seqOf(r1), seqOf(r2));
    QCOMPARE(teacher.take(QStringLiteral("message")).size(), 1);
    QCOMPARE(student.code(student.request(QStringLiteral("send"), sendBody(QStringLiteral("group"), QString::number(kRoom), QStringLiteral("hi"), QStringLiteral("k-2")))), 0);
    QCOMPARE(teacher.take(QStringLiteral("message")).size(), 1);
    QCOMPARE(student.code(student.request(QStringLiteral("send"), sendBody(QStringLiteral("group"), QString::number(kRoom), QStringLiteral("x"), QString(65, QLatin1Char('k'))))),
             int(hubproto::BadArgument));
  }

  // The backlog keeps the newest messages within its count and bytes, and says when a resume
  // reaches back further than it does.
  void backlogIsCappedInCountAndBytes() {
    RoomBacklog byCount(1, 3, 1 << 20);
    for (quint64 seq = 1; seq <= 5; ++seq)
      byCount.append({seq, QStringLiteral("t"), QString(), QString(), QByteArray::number(seq)});
    QCOMPARE(byCount.size(), 3);
    QList<QByteArray> got;
    const auto collect = [&got](const QByteArray &b) { got.append(b); };
    QVERIFY(!byCount.replay(1, QStringLiteral("s"), collect));
    QVERIFY(byCount.replay(2, QStringLiteral("s"), collect));
    QCOMPARE(got.mid(3), (QList<QByteArray>{"3", "4", "5"}));

    RoomBacklog byBytes(1, 1000, 100);
    byBytes.append({1, QStringLiteral("t"), QString(), QString(), QByteArray(60, 'a')});
    byBytes.append({2, QStringLiteral("t"), QString(), QString(), QByteArray(60, 'b')});
    QCOMPARE(byBytes.size(), 1);
    QVERIFY(byBytes.bytes() <= 100);
    byBytes.append({3, QStringLiteral("t"), QString(), QString(), QByteArray(500, 'c')}); // alone over the cap
    QCOMPARE(byBytes.size(), 0);
    QVERIFY(!byBytes.replay(2, QStringLiteral("s"), collect));

    // Own group messages and others' one-to-one mail are not handed back.
    RoomBacklog mixed(10, 100, 1 << 20);
    mixed.append({10, QStringLiteral("s"), QString(), QString(), "own"});
    mixed.append({11, QStringLiteral("t"), QStringLiteral("o"), QString(), "for o"});
    mixed.append({12, QStringLiteral("t"), QStringLiteral("s"), QString(), "for s"});
    got.clear();
    QVERIFY(!mixed.replay(8, QStringLiteral("s"), collect)); // from before the room opened
    QVERIFY(mixed.replay(9, QStringLiteral("s"), collect));
    QCOMPARE(got, (QList<QByteArray>{"for s", "for s"}));
  }

  // The room's backlog stays within its caps however much the room says.
  void hubBacklogHoldsTheCap() {
    Hub hub(kTestSecret);
    HubLimits limits;
    limits.backlogMessages = 5;
    hub.setLimits(limits);
    TestParticipant teacher(hub);
    teacher.login(QStringLiteral("t"));
    teacher.join(kRoom, QStringLiteral("LiveMaster"));
    auto student = std::make_unique<TestParticipant>(hub);
    student->login(QStringLiteral("s"));
    const QJsonObject joined = student->request(QStringLiteral("join"), joinBody(QStringLiteral("s"), kRoom, QStringLiteral("Guest"), QJsonValue()));
    const qint64 lastSeq = static_cast<qint64>(joined.value(QStringLiteral("lastSeq")).toDouble());
    student->vanish();
    for (int i = 0; i < 8; ++i)
      teacher.request(QStringLiteral("send"), sendBody(QStringLiteral("group"), QString::number(kRoom), QString::number(i)));
    TestParticipant back(hub);
    back.login(QStringLiteral("s"));
    const QJsonObject r = back.request(QStringLiteral("join"), joinBody(QStringLiteral("s"), kRoom, QStringLiteral("Guest"), lastSeq));
    QCOMPARE(r.value(QStringLiteral("resumed")).toInt(), 5);
    QVERIFY(!r.value(QStringLiteral("complete")).toBool());
    QCOMPARE(texts(back.take(QStringLiteral("message"))),
             (QStringList{QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7")}));
  }
};

QTEST_MAIN(TestHubResume)
#include "test_hubresume.moc"

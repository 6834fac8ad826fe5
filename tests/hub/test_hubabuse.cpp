// What a misbehaving participant can send, and that the others are not harmed by it.
#include "hubfixture.h"

#include "protocol/protocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QtTest>

namespace {
QJsonArray textElem(const QString &text) {
  return QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("text")},
                                {QStringLiteral("text"), text}}};
}
int lastErrorCode(TestParticipant &p) {
  const QList<QJsonObject> errors = p.take(QStringLiteral("error"));
  return errors.isEmpty() ? -1 : errors.last().value(QStringLiteral("code")).toInt();
}
} // namespace

class TestHubAbuse : public QObject {
  Q_OBJECT
private slots:
  void badTextIsAnsweredWithAnError_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("code");
    QTest::newRow("not json") << QByteArray("{\"v\":4,\"type\":") << int(hubproto::Malformed);
    QTest::newRow("array") << QByteArray("[1,2]") << int(hubproto::Malformed);
    QTest::newRow("number") << QByteArray("17") << int(hubproto::Malformed);
    QTest::newRow("empty") << QByteArray() << int(hubproto::Malformed);
    QTest::newRow("binary junk") << QByteArray("\x00\xff\xfe{", 4) << int(hubproto::Malformed);
    QTest::newRow("no version") << QByteArray("{\"type\":\"ping\",\"id\":1}") << int(hubproto::BadVersion);
    QTest::newRow("version 1") << QByteArray("{\"v\":1,\"type\":\"ping\",\"id\":1}") << int(hubproto::BadVersion);
    QTest::newRow("version 2") << QByteArray("{\"v\":2,\"type\":\"ping\",\"id\":1}") << int(hubproto::BadVersion);
    QTest::newRow("version 3") << QByteArray("{\"v\":3,\"type\":\"ping\",\"id\":1}") << int(hubproto::BadVersion);
    QTest::newRow("version text") << QByteArray("{\"v\":\"2\",\"type\":\"ping\",\"id\":1}") << int(hubproto::BadVersion);
    QTest::newRow("no type") << QByteArray("{\"v\":4,\"id\":1}") << int(hubproto::BadArgument);
    QTest::newRow("type number") << QByteArray("{\"v\":4,\"type\":3,\"id\":1}") << int(hubproto::BadArgument);
    QTest::newRow("unknown kind") << QByteArray("{\"v\":4,\"type\":\"teleport\",\"id\":1}") << int(hubproto::UnknownKind);
    QTest::newRow("reply kind") << QByteArray("{\"v\":4,\"type\":\"reply\",\"id\":1}") << int(hubproto::UnknownKind);
    QTest::newRow("no id") << QByteArray("{\"v\":4,\"type\":\"ping\"}") << int(hubproto::BadArgument);
    QTest::newRow("fraction id") << QByteArray("{\"v\":4,\"type\":\"ping\",\"id\":1.5}") << int(hubproto::BadArgument);
    QByteArray deep(5000, '[');
    QTest::newRow("deep nesting") << deep << int(hubproto::Malformed);
  }
  void badTextIsAnsweredWithAnError() {
    QFETCH(QByteArray, text);
    QFETCH(int, code);
    Hub hub(kTestSecret);
    TestParticipant p(hub);
    p.raw(text);
    QCOMPARE(lastErrorCode(p), code);
    QVERIFY(!p.peer.closed);
    QCOMPARE(p.code(p.request(QStringLiteral("ping"))), 0);
  }

  // The version rule: an older client is told which version this hub speaks, in a message of
  // the hub's own version, and may go on.
  void anOlderVersionIsToldTheHubsVersion() {
    Hub hub(kTestSecret);
    TestParticipant p(hub);
    p.raw("{\"v\":2,\"type\":\"ping\",\"id\":4}");
    const QList<QJsonObject> errors = p.take(QStringLiteral("error"));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors[0].value(QStringLiteral("v")).toInt(), hubproto::kVersion);
    QCOMPARE(errors[0].value(QStringLiteral("id")).toInt(), 4);
    QVERIFY2(errors[0].value(QStringLiteral("desc")).toString().contains(QStringLiteral("speaks %1").arg(hubproto::kVersion)),
             qPrintable(errors[0].value(QStringLiteral("desc")).toString()));
  }

  void errorsCarryTheRequestIdWhenReadable() {
    Hub hub(kTestSecret);
    TestParticipant p(hub);
    p.raw("{\"v\":4,\"type\":\"teleport\",\"id\":77}");
    const QList<QJsonObject> errors = p.take(QStringLiteral("error"));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors[0].value(QStringLiteral("id")).toInt(), 77);
  }

  void badSendArgumentsAreRefused_data() {
    QTest::addColumn<QJsonObject>("body");
    const QJsonObject group{{QStringLiteral("type"), QStringLiteral("group")}, {QStringLiteral("peer"), QStringLiteral("8")}};
    QTest::newRow("no conv") << QJsonObject{{QStringLiteral("elems"), textElem(QStringLiteral("x"))}};
    QTest::newRow("conv kind") << QJsonObject{{QStringLiteral("conv"), QJsonObject{{QStringLiteral("type"), QStringLiteral("room")}, {QStringLiteral("peer"), QStringLiteral("8")}}}, {QStringLiteral("elems"), textElem(QStringLiteral("x"))}};
    QTest::newRow("no elems") << QJsonObject{{QStringLiteral("conv"), group}};
    QTest::newRow("bad elem") << QJsonObject{{QStringLiteral("conv"), group}, {QStringLiteral("elems"), QJsonArray{42}}};
    QTest::newRow("push ext number") << QJsonObject{{QStringLiteral("conv"), group}, {QStringLiteral("elems"), textElem(QStringLiteral("x"))}, {QStringLiteral("offlinePushExt"), 5}};
  }
  void badSendArgumentsAreRefused() {
    QFETCH(QJsonObject, body);
    Hub hub(kTestSecret);
    TestParticipant p(hub), q(hub);
    p.login(QStringLiteral("p"));
    p.join(8);
    q.login(QStringLiteral("q"));
    q.join(8);
    QCOMPARE(p.code(p.request(QStringLiteral("send"), body)), int(hubproto::BadArgument));
    QVERIFY(q.take(QStringLiteral("message")).isEmpty());
  }

  void oversizedMessagesAreRefusedWithoutDelivery() {
    Hub hub(kTestSecret);
    HubLimits limits;
    limits.maxTextBytes = 2000;
    limits.maxBinaryBytes = 5000;
    hub.setLimits(limits);
    TestParticipant p(hub), q(hub);
    p.login(QStringLiteral("p"));
    p.join(8, QStringLiteral("LiveGuest"));
    q.login(QStringLiteral("q"));
    q.join(8);
    QCOMPARE(p.sendGroup(8, textElem(QString(1500, QLatin1Char('a')))), 0);
    QCOMPARE(p.sendGroup(8, textElem(QString(2500, QLatin1Char('a')))), -1); // no reply at all
    QCOMPARE(lastErrorCode(p), int(hubproto::TooLarge));
    QCOMPARE(q.take(QStringLiteral("message")).size(), 1);
    QVERIFY(!p.publish(QStringLiteral("camera")).isEmpty());
    p.frame(hubproto::encodeFrame(testVideoFrame(64, 64, hubproto::Source::Camera)));
    QCOMPARE(lastErrorCode(p), int(hubproto::TooLarge));
    QVERIFY(q.peer.frames.isEmpty());
  }

  void floodIsCutAndTheFlooderTold() {
    Hub hub(kTestSecret);
    HubLimits limits;
    limits.messagesPerSecond = 10;
    limits.messageBurst = 100;
    hub.setLimits(limits);
    TestParticipant flooder(hub), listener(hub);
    flooder.login(QStringLiteral("f"));
    flooder.join(1);
    listener.login(QStringLiteral("l"));
    listener.join(1);
    QElapsedTimer clock;
    clock.start();
    int accepted = 0;
    int limited = 0;
    for (int i = 0; i < 2000; ++i) {
      const int code = flooder.sendGroup(1, textElem(QString::number(i)));
      accepted += code == 0 ? 1 : 0;
      limited += code == -1 ? 1 : 0;
    }
    // The burst (less the three requests above), plus what the rate refilled meanwhile.
    const int allowed = 100 + static_cast<int>(clock.elapsed() * 10 / 1000) + 1;
    const QList<QJsonObject> errors = flooder.take(QStringLiteral("error"));
    QCOMPARE(errors.size(), limited);
    QCOMPARE(accepted + limited, 2000);
    QVERIFY(!errors.isEmpty());
    QCOMPARE(errors.first().value(QStringLiteral("code")).toInt(), int(hubproto::RateLimited));
    // The refusal names the request, so a client does not wait for a reply in vain.
    QVERIFY(errors.first().value(QStringLiteral("id")).toInt() > 0);
    QVERIFY2(accepted >= 90 && accepted <= allowed, qPrintable(QStringLiteral("%1 of %2").arg(accepted).arg(allowed)));
    QCOMPARE(listener.take(QStringLiteral("message")).size(), accepted);
  }

  void slowReaderIsDroppedAndTheOthersKeepReceiving() {
    Hub hub(kTestSecret);
    HubLimits limits;
    limits.maxQueuedBytes = 20000;
    limits.messagesPerSecond = 1e6;
    limits.messageBurst = 1e6;
    limits.seatHoldMs = 100;
    hub.setLimits(limits);
    TestParticipant sender(hub), slow(hub), fast(hub);
    sender.login(QStringLiteral("teacher"));
    sender.join(2, QStringLiteral("LiveMaster"));
    slow.login(QStringLiteral("slow"));
    slow.join(2);
    fast.login(QStringLiteral("fast"));
    fast.join(2);
    slow.peer.slow = true;
    fast.take(QStringLiteral("member"));
    for (int i = 0; i < 500; ++i)
      QCOMPARE(sender.sendGroup(2, textElem(QString(100, QLatin1Char('x')))), 0);
    QVERIFY(slow.peer.closed);
    QCOMPARE(slow.peer.closeCode, int(hubproto::SlowReader));
    QTRY_VERIFY_WITH_TIMEOUT(!hub.isInRoom(QStringLiteral("slow"), 2), 5000); // its seat held in vain
    QCOMPARE(fast.take(QStringLiteral("message")).size(), 500);
    QVERIFY(!fast.peer.closed);
    QVERIFY(!sender.peer.closed);
    const QList<QJsonObject> exits = fast.take(QStringLiteral("member"));
    QCOMPARE(exits.size(), 1);
    QCOMPARE(exits[0].value(QStringLiteral("userId")).toString(), QStringLiteral("slow"));
  }

  // One student sends a hundred messages of a megabyte as fast as it can while the teacher and a
  // classmate read nothing: the hub refuses the flood at its sender, and both stay in the room.
  void oneMembersFloodDropsNobodyElse() {
    Hub hub(kTestSecret);
    TestParticipant teacher(hub), flooder(hub), classmate(hub);
    teacher.login(QStringLiteral("t"));
    teacher.join(3, QStringLiteral("LiveMaster"));
    flooder.login(QStringLiteral("f"));
    flooder.join(3);
    classmate.login(QStringLiteral("c"));
    classmate.join(3);
    teacher.peer.slow = true;
    classmate.peer.slow = true;
    const QJsonArray big{QJsonObject{{QStringLiteral("type"), QStringLiteral("custom")},
                                     {QStringLiteral("data"), QString(1000000, QLatin1Char('x'))},
                                     {QStringLiteral("ext"), QStringLiteral("x")}}};
    QElapsedTimer clock;
    clock.start();
    int accepted = 0;
    for (int i = 0; i < 100; ++i)
      accepted += flooder.sendGroup(3, big) == 0 ? 1 : 0;
    // The burst of four megabytes, and a megabyte for every second the loop took.
    const int allowed = 4 + int(clock.elapsed() / 1000) + 1;
    QVERIFY2(accepted >= 3 && accepted <= allowed, qPrintable(QStringLiteral("%1 of %2").arg(accepted).arg(allowed)));
    QCOMPARE(lastErrorCode(flooder), int(hubproto::RateLimited));
    QVERIFY(!teacher.peer.closed);
    QVERIFY(!classmate.peer.closed);
    QCOMPARE(hub.roomMembers(3).size(), 3);
    classmate.peer.texts.clear();
    QCOMPARE(teacher.sendGroup(3, textElem(QStringLiteral("still here"))), 0);
    QCOMPARE(classmate.take(QStringLiteral("message")).size(), 1);
  }

  // A reader that takes nothing is cut off at its cap; the teacher's cap is the larger one.
  void theTeachersBacklogOutlastsAStudents() {
    Hub hub(kTestSecret);
    HubLimits limits;
    limits.maxQueuedBytes = 20000;
    limits.maxTeacherQueuedBytes = 80000;
    hub.setLimits(limits);
    TestParticipant teacher(hub), sender(hub), student(hub);
    teacher.login(QStringLiteral("t"));
    teacher.join(4, QStringLiteral("LiveMaster"));
    sender.login(QStringLiteral("s"));
    sender.join(4);
    student.login(QStringLiteral("l"));
    student.join(4);
    teacher.peer.slow = true;
    student.peer.slow = true;
    for (int i = 0; i < 40; ++i)
      QCOMPARE(sender.sendGroup(4, textElem(QString(1000, QLatin1Char('x')))), 0);
    QVERIFY(student.peer.closed);
    QCOMPARE(student.peer.closeCode, int(hubproto::SlowReader));
    QVERIFY(!teacher.peer.closed);
    QCOMPARE(teacher.take(QStringLiteral("message")).size(), 40);
  }

  // Chat is short: its text elements and the chat page message of 2056 together, for everybody;
  // other commands are not chat.
  void chatTextIsCapped() {
    Hub hub(kTestSecret);
    TestParticipant teacher(hub), student(hub);
    teacher.login(QStringLiteral("t"));
    teacher.join(5, QStringLiteral("LiveMaster"));
    student.login(QStringLiteral("s"));
    student.join(5);
    const auto command = [](int code, int size) {
      const QJsonObject c{{QStringLiteral("userAction"), code}, {QStringLiteral("actionParam"), QString(size, QLatin1Char('x'))}};
      return QJsonObject{{QStringLiteral("type"), QStringLiteral("custom")},
                         {QStringLiteral("data"), QString::fromUtf8(QJsonDocument(c).toJson())},
                         {QStringLiteral("ext"), QStringLiteral("LiveNotification")}};
    };
    const int cap = HubLimits().maxChatTextBytes;
    QCOMPARE(student.sendGroup(5, QJsonArray{command(2056, cap - 100)}), 0);
    QCOMPARE(student.sendGroup(5, QJsonArray{command(2056, cap)}), int(hubproto::TooLarge));
    QCOMPARE(teacher.sendGroup(5, QJsonArray{command(2056, cap)}), int(hubproto::TooLarge));
    QCOMPARE(student.sendGroup(5, textElem(QString(cap / 3 + 1, QChar(0x5b57)))), int(hubproto::TooLarge));
    QCOMPARE(student.sendGroup(5, textElem(QString(cap / 3 - 1, QChar(0x5b57)))), 0);
    // Half the cap twice over in one message is over it.
    QCOMPARE(student.sendGroup(5, QJsonArray{command(2056, cap / 2), textElem(QString(cap / 2, QLatin1Char('y'))).at(0)}),
             int(hubproto::TooLarge));
    QCOMPARE(teacher.sendGroup(5, QJsonArray{command(2057, 600 * 1024)}), 0);
  }

  void silentConnectionIsDropped() {
    Hub hub(kTestSecret);
    HubLimits limits;
    limits.idleTimeoutMs = 100;
    hub.setLimits(limits);
    TestParticipant silent(hub), chatty(hub);
    silent.login(QStringLiteral("s"));
    chatty.login(QStringLiteral("c"));
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 400) {
      chatty.request(QStringLiteral("ping"));
      QTest::qWait(20);
    }
    QVERIFY(silent.peer.closed);
    QVERIFY(!hub.isOnline(QStringLiteral("s")));
    QVERIFY(!chatty.peer.closed);
  }

  // A connection must sign in soon after it opens, or after it signs out; pings do not help.
  void signInHasADeadline() {
    Hub hub(kTestSecret);
    HubLimits limits;
    limits.signInDeadlineMs = 200;
    hub.setLimits(limits);
    TestParticipant lurker(hub), member(hub), leaver(hub);
    member.login(QStringLiteral("m"));
    leaver.login(QStringLiteral("l"));
    const auto pingFor = [](int ms, std::initializer_list<TestParticipant *> who) {
      QElapsedTimer clock;
      clock.start();
      while (clock.elapsed() < ms) {
        for (TestParticipant *p : who)
          p->request(QStringLiteral("ping"));
        QTest::qWait(20);
      }
    };
    pingFor(600, {&lurker, &member, &leaver});
    QVERIFY(lurker.peer.closed);
    QCOMPARE(lurker.peer.closeCode, int(hubproto::NotSignedIn));
    QVERIFY(!member.peer.closed);
    QVERIFY(!leaver.peer.closed);
    QCOMPARE(leaver.code(leaver.request(QStringLiteral("logout"))), 0);
    pingFor(600, {&member, &leaver});
    QVERIFY(leaver.peer.closed);
    QVERIFY(!member.peer.closed);
  }

  void randomInputNeverBreaksTheHub() {
    Hub hub(kTestSecret);
    HubLimits limits;
    limits.messagesPerSecond = 1e9;
    limits.messageBurst = 1e9;
    hub.setLimits(limits);
    TestParticipant fuzzer(hub), witness(hub);
    fuzzer.login(QStringLiteral("fuzz"));
    fuzzer.join(1, QStringLiteral("LiveGuest"));
    witness.login(QStringLiteral("w"));
    witness.join(900001);
    const QList<QByteArray> seeds = {
        R"({"v":4,"type":"send","id":5,"conv":{"type":"group","peer":"900001"},"elems":[{"type":"text","text":"x"}]})",
        R"({"v":4,"type":"join","id":6,"roomId":1,"role":"LiveGuest"})",
        R"({"v":4,"type":"publish","id":7,"source":"camera","audio":true})",
        R"({"v":4,"type":"request","id":8,"streams":[{"userId":"w","source":"screen"}]})",
        R"({"v":4,"type":"send","id":9,"conv":{"type":"c2c","peer":"w"},"elems":[{"type":"file","name":"n","data64":"AAAA"}]})",
        R"({"v":4,"type":"role","id":10,"role":"Guest"})",
        R"({"v":4,"type":"unpublish","id":11,"channelId":"1"})",
    };
    QRandomGenerator rng(1234);
    for (int round = 0; round < 20000; ++round) {
      QByteArray text = seeds[static_cast<int>(rng.bounded(seeds.size()))];
      const int edits = static_cast<int>(rng.bounded(4));
      for (int e = 0; e < edits; ++e) {
        const int at = static_cast<int>(rng.bounded(text.size()));
        switch (rng.bounded(3)) {
        case 0: text[at] = static_cast<char>(rng.bounded(256)); break;
        case 1: text.remove(at, static_cast<int>(rng.bounded(8))); break;
        default: text.insert(at, text.mid(static_cast<int>(rng.bounded(text.size())), 6)); break;
        }
      }
      fuzzer.raw(text);
      if (round % 3 == 0)
        fuzzer.frame(text);
      fuzzer.peer.texts.clear();
    }
    // The witness in another room heard nothing of it, and both can still talk to the hub.
    QVERIFY(witness.take(QStringLiteral("message")).isEmpty());
    QVERIFY(witness.peer.frames.isEmpty());
    QCOMPARE(witness.code(witness.request(QStringLiteral("ping"))), 0);
    QVERIFY(!fuzzer.peer.closed);
  }
};

QTEST_GUILESS_MAIN(TestHubAbuse)
#include "test_hubabuse.moc"

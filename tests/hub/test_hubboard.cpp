// The board in the hub: who may write on it, and the history kept for late joiners, weighed by
// what it costs to keep and to send, bounded per room and over all rooms, and served in pages.
#include "hubfixture.h"

#include "protocol/protocol.h"
#include "service/hub/whiteboardhistory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

namespace {

constexpr quint32 kRoom = 41;
constexpr quint32 kOtherRoom = 42;

// A whiteboard message as the SDK sends it: one element, tagged for the board.
QJsonObject boardSend(quint32 roomId, const QJsonObject &elem) {
  return QJsonObject{{QStringLiteral("conv"), QJsonObject{{QStringLiteral("type"), QStringLiteral("group")},
                                                          {QStringLiteral("peer"), QString::number(roomId)}}},
                     {QStringLiteral("elems"), QJsonArray{elem}},
                     {QStringLiteral("offlinePushExt"), QStringLiteral("TXWhiteBoardExt")}};
}

QJsonObject custom(const QString &data) {
  return QJsonObject{{QStringLiteral("type"), QStringLiteral("custom")}, {QStringLiteral("data"), data},
                     {QStringLiteral("ext"), QStringLiteral("TXWhiteBoardExt")}};
}

// A file element with a long name and almost no data: what costs is the name.
QJsonObject namedFile(int nameBytes) {
  return QJsonObject{{QStringLiteral("type"), QStringLiteral("file")},
                     {QStringLiteral("name"), QString(nameBytes, QLatin1Char('n'))},
                     {QStringLiteral("data64"), QStringLiteral("AAAA")}};
}

QByteArray encoded(int bytes) {
  return hubproto::encode(QJsonObject{{QStringLiteral("pad"), QString(bytes, QLatin1Char('p'))}});
}

int code(TestParticipant &p, const QJsonObject &reply) { return p.code(reply); }

} // namespace

class TestHubBoard : public QObject {
  Q_OBJECT

private slots:
  // The teacher and the students it let on stage draw; anyone else's board data is refused
  // and kept for nobody.
  void theBoardIsTheTeachersAndTheGranted() {
    Hub hub(kTestSecret);
    TestParticipant teacher(hub), student(hub), watcher(hub);
    teacher.login(QStringLiteral("t"));
    QCOMPARE(teacher.join(kRoom, QStringLiteral("LiveMaster")), 0);
    student.login(QStringLiteral("s"));
    QCOMPARE(student.join(kRoom), 0);
    watcher.login(QStringLiteral("w"));
    QCOMPARE(watcher.join(kRoom), 0);
    const QJsonObject stroke = boardSend(kRoom, custom(QStringLiteral("{\"seq\":1,\"value\":{}}\n")));
    QCOMPARE(code(student, student.request(QStringLiteral("send"), stroke)), int(hubproto::TeacherOnly));
    QCOMPARE(hub.whiteboardHistory().count(kRoom), 0);
    QVERIFY(watcher.take(QStringLiteral("message")).isEmpty());
    QCOMPARE(code(teacher, teacher.request(QStringLiteral("send"), stroke)), 0);
    QCOMPARE(teacher.grant(QStringLiteral("s")), 0);
    QCOMPARE(code(student, student.request(QStringLiteral("send"), stroke)), 0);
    QCOMPARE(hub.whiteboardHistory().count(kRoom), 2);
    QCOMPARE(watcher.take(QStringLiteral("message")).size(), 2);
    QCOMPARE(teacher.revoke(QStringLiteral("s")), 0);
    QCOMPARE(code(student, student.request(QStringLiteral("send"), stroke)), int(hubproto::TeacherOnly));
    QCOMPARE(hub.whiteboardHistory().count(kRoom), 2);
  }

  // A board message is weighed by everything in it, its file name too.
  void historyWeighsWholeMessages() {
    Hub hub(kTestSecret);
    HubLimits rates;
    rates.textByteBurst = 64 << 20; // the teacher's whole board at once
    hub.setLimits(rates);
    WhiteboardHistoryLimits limits;
    limits.maxRoomBytes = 4 << 20;
    hub.whiteboardHistory().setLimits(limits);
    TestParticipant teacher(hub);
    teacher.login(QStringLiteral("t"));
    QCOMPARE(teacher.join(kRoom, QStringLiteral("LiveMaster")), 0);
    for (int i = 0; i < 3; ++i)
      QCOMPARE(code(teacher, teacher.request(QStringLiteral("send"), boardSend(kRoom, namedFile(900 * 1024)))), 0);
    QVERIFY(hub.whiteboardHistory().bytes(kRoom) > 3 * 900 * 1024);
    for (int i = 0; i < 3; ++i)
      QCOMPARE(code(teacher, teacher.request(QStringLiteral("send"), boardSend(kRoom, namedFile(900 * 1024)))), 0);
    QCOMPARE(hub.whiteboardHistory().count(kRoom), 4);
    QVERIFY(hub.whiteboardHistory().bytes(kRoom) <= limits.maxRoomBytes);
    // What is counted is what a reply carries.
    const QByteArray reply = QJsonDocument(hub.whiteboardHistory().messages(kRoom)).toJson(QJsonDocument::Compact);
    QVERIFY(reply.size() <= limits.maxRoomBytes + 64);
  }

  // Over all rooms the room that holds the most gives way, oldest first.
  void theGlobalCapTakesFromTheLargestRoom() {
    WhiteboardHistory history;
    WhiteboardHistoryLimits limits;
    limits.maxRoomBytes = 1000000;
    limits.maxTotalBytes = 10000;
    history.setLimits(limits);
    for (int i = 0; i < 8; ++i)
      history.append(kRoom, encoded(1000));
    history.append(kOtherRoom, encoded(1000));
    history.append(kOtherRoom, encoded(1000));
    QVERIFY(history.totalBytes() <= limits.maxTotalBytes);
    QCOMPARE(history.count(kOtherRoom), 2);
    QCOMPARE(history.count(kRoom), 7);
    QCOMPARE(history.totalBytes(), history.bytes(kRoom) + history.bytes(kOtherRoom));
  }

  // Pages hold at most pageBytes (or one message), follow on from each other without gaps or
  // repeats, and a page asked for after older messages went starts at the oldest kept.
  void historyIsServedInPages() {
    WhiteboardHistory history;
    WhiteboardHistoryLimits limits;
    limits.maxMessages = 20;
    limits.pageBytes = 3500;
    history.setLimits(limits);
    for (int i = 0; i < 10; ++i)
      history.append(kRoom, hubproto::encode(QJsonObject{{QStringLiteral("n"), i},
                                                         {QStringLiteral("pad"), QString(1000, QLatin1Char('p'))}}));
    history.append(kRoom, encoded(5000)); // one message over a page still gets a page
    QList<int> seen;
    int pages = 0;
    for (qint64 from = 0; from >= 0 && pages < 20; ++pages) {
      const WhiteboardHistory::Page page = history.page(kRoom, from);
      QVERIFY(!page.messages.isEmpty());
      QVERIFY(page.messages.size() == 1 ||
              QJsonDocument(page.messages).toJson(QJsonDocument::Compact).size() <= limits.pageBytes + 64);
      for (const QJsonValue &m : page.messages)
        seen << m.toObject().value(QStringLiteral("n")).toInt(-1);
      QVERIFY(page.next == -1 || page.next > from);
      from = page.next;
    }
    QCOMPARE(seen, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1}));
    QCOMPARE(pages, 5);
    for (int i = 0; i < 15; ++i)
      history.append(kRoom, encoded(10));
    QCOMPARE(history.count(kRoom), 20);
    const WhiteboardHistory::Page late = history.page(kRoom, 0);
    QVERIFY(late.next > 0);
    QCOMPARE(late.messages.first().toObject().value(QStringLiteral("n")).toInt(-1), 6);
    QVERIFY(history.page(kRoom, 1000).messages.isEmpty());
    QVERIFY(history.page(kOtherRoom, 0).messages.isEmpty());
  }
};

QTEST_GUILESS_MAIN(TestHubBoard)
#include "test_hubboard.moc"

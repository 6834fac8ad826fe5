// The whiteboard's side of tarnwick-local: document previews rendered from the seeded deck, and
// a room's whiteboard history for its members.
#include "support/servicemember.h"
#include "protocol/usersig.h"
#include "support/localservice.h"
#include "sdk/board/boardhistory.h"

#include <QDateTime>
#include <QImage>
#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QtTest>

namespace {
constexpr int kBadToken = 10005;
constexpr int kNotInRoom = 10010;
constexpr int kMissing = 10001;
constexpr int kBadParameter = 10002;
constexpr quint32 kRoom = 300101;
constexpr quint32 kOtherRoom = 300102;

QString preview(const QString &file, const QString &page) {
  return QStringLiteral("/preview/%1?cmd=doc_preview&of=pic&page=%2").arg(file, page);
}

} // namespace

class TestServiceBoard : public QObject {
  Q_OBJECT
private slots:
  void initTestCase() { QVERIFY2(m_service.start(), qPrintable(m_service.errorString())); }

  void previewsArePagesOfTheSeededDeck() {
    const LocalService::Reply first = m_service.get(preview("aaa.ppt", "1"));
    QCOMPARE(first.httpStatus, 200);
    QCOMPARE(first.contentType, QByteArray("image/png"));
    const QImage page1 = QImage::fromData(first.body, "PNG");
    QVERIFY(!page1.isNull());
    QVERIFY(page1.width() > page1.height());
    const LocalService::Reply last = m_service.get(preview("aaa.ppt", "20"));
    QCOMPARE(last.httpStatus, 200);
    QVERIFY(QImage::fromData(last.body, "PNG") != page1); // each slide is its own page
    // Asked again, the same bytes (from the cache).
    QCOMPARE(m_service.get(preview("aaa.ppt", "1")).body, first.body);
  }

  void previewsRefuseWhatIsNotThere_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::newRow("page 0") << preview("aaa.ppt", "0") << 404;
    QTest::newRow("page 21") << preview("aaa.ppt", "21") << 404;
    QTest::newRow("page not a number") << preview("aaa.ppt", "x") << 400;
    QTest::newRow("unknown file") << preview("bbb.ppt", "1") << 404;
    QTest::newRow("out of the store") << preview("..%2F..%2Fservice%2Fseed.json", "1") << 404;
    QTest::newRow("the pdf itself") << preview("aaa.ppt.pdf", "1") << 404;
    QTest::newRow("another command") << QStringLiteral("/preview/aaa.ppt?cmd=doc_download&of=pic&page=1") << 400;
  }

  void previewsRefuseWhatIsNotThere() {
    QFETCH(QString, path);
    QFETCH(int, status);
    const LocalService::Reply r = m_service.get(path);
    QCOMPARE(r.httpStatus, status);
    QVERIFY(!r.contentType.startsWith("image/"));
    QVERIFY(!r.body.isEmpty()); // says why
  }

  void historyKeepsTheRoomsWhiteboardMessagesForMembers() {
    ServiceMember teacher(m_service, QStringLiteral("t20001"));
    ServiceMember student(m_service, QStringLiteral("s10001"));
    QVERIFY(teacher.enter(kRoom, QStringLiteral("LiveMaster")));
    const QString ext = QStringLiteral("TXWhiteBoardExt");
    const QString other = QStringLiteral("TXWhiteBoardEx");
    QVERIFY(teacher.send(kRoom, "{\"seq\":1,\"value\":{\"a\":1}}\n", &ext));
    QVERIFY(teacher.send(kRoom, "{\"userAction\":2057}", nullptr));
    QVERIFY(teacher.send(kRoom, "{\"seq\":2}", &other));
    QVERIFY(teacher.send(kRoom, "{\"seq\":3,\"value\":2}\n", &ext));

    const auto history = [&](const QString &user, const QString &sig) {
      return m_service.call(QStringLiteral("board"), QStringLiteral("history"),
                            {{"roomId", QString::number(kRoom)}, {"userId", user}, {"userSig", sig}});
    };
    // Signed in but not in the room yet: refused.
    QCOMPARE(history(student.userId, student.sig).errorCode(), kNotInRoom);
    QVERIFY(student.enter(kRoom, QStringLiteral("Guest")));
    const LocalService::Reply r = history(student.userId, student.sig);
    QCOMPARE(r.errorCode(), 0);
    const QJsonArray messages = r.data().value(QStringLiteral("messages")).toArray();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages.at(0)["elems"].toArray().at(0)["data"].toString(), QStringLiteral("{\"seq\":1,\"value\":{\"a\":1}}\n"));
    QCOMPARE(messages.at(1)["elems"].toArray().at(0)["data"].toString(), QStringLiteral("{\"seq\":3,\"value\":2}\n"));
    QCOMPARE(messages.at(0)["from"].toString(), QStringLiteral("t20001"));
    // Someone else's signature, or none.
    QCOMPARE(history(student.userId, teacher.sig).errorCode(), kBadToken);
    QCOMPARE(history(student.userId, QString()).errorCode(), kMissing);
  }

  // Signed in to the hub is not enough: only the room's own members, with a current signature
  // the service made, get its board.
  void historyAnswersOnlyMembersOfThatRoom() {
    ServiceMember elsewhere(m_service, QStringLiteral("s10003"));
    QVERIFY(elsewhere.enter(kOtherRoom, QStringLiteral("Guest")));
    const auto history = [&](quint32 roomId, const QString &sig) {
      return m_service.call(QStringLiteral("board"), QStringLiteral("history"),
                            {{"roomId", QString::number(roomId)}, {"userId", elsewhere.userId}, {"userSig", sig}});
    };
    QCOMPARE(history(kOtherRoom, elsewhere.sig).errorCode(), 0);
    QCOMPARE(history(kRoom, elsewhere.sig).errorCode(), kNotInRoom);
    const qint64 past = QDateTime::currentSecsSinceEpoch() - 1;
    QCOMPARE(history(kOtherRoom, usersig::issue(m_service.secret(), elsewhere.userId, past)).errorCode(), kBadToken);
    QCOMPARE(history(kOtherRoom, usersig::issueFor("not the service's secret", elsewhere.userId, 600)).errorCode(),
             kBadToken);
  }

  // A board bigger than a page comes in pages, one after the other, and the library's loader
  // reads them all, in order.
  void historyComesInPages() {
    ServiceMember teacher(m_service, QStringLiteral("t20001"));
    ServiceMember student(m_service, QStringLiteral("s10004"));
    QVERIFY(teacher.enter(kOtherRoom, QStringLiteral("LiveMaster")));
    QVERIFY(student.enter(kOtherRoom, QStringLiteral("Guest")));
    const QString ext = QStringLiteral("TXWhiteBoardExt");
    constexpr int kMessages = 8;
    for (int i = 0; i < kMessages; ++i) {
      QVERIFY(teacher.send(kOtherRoom, "{\"seq\":" + QByteArray::number(i) + ",\"value\":\"" +
                                           QByteArray(700 * 1024, 'v') + "\"}\n", &ext));
      QTest::qWait(400); // within the teacher's byte rate
    }
    const auto history = [&](qint64 from) {
      return m_service.call(QStringLiteral("board"), QStringLiteral("history"),
                            {{"roomId", QString::number(kOtherRoom)}, {"userId", student.userId},
                             {"userSig", student.sig}, {"from", QString::number(from)}});
    };
    QList<QByteArray> seen;
    int pages = 0;
    for (qint64 from = 0; from >= 0 && pages < kMessages; ++pages) {
      const LocalService::Reply r = history(from);
      QCOMPARE(r.errorCode(), 0);
      QVERIFY(r.body.size() < 5 << 20);
      for (const QJsonValue &m : r.data().value(QStringLiteral("messages")).toArray())
        seen << m["elems"].toArray().at(0)["data"].toString().toUtf8().left(9);
      from = r.data().contains(QStringLiteral("next")) ? qint64(r.data().value(QStringLiteral("next")).toDouble()) : -1;
    }
    QVERIFY(pages > 1);
    QCOMPARE(seen.size(), kMessages);
    for (int i = 0; i < kMessages; ++i)
      QCOMPARE(seen.at(i), "{\"seq\":" + QByteArray::number(i) + ",");
    QCOMPARE(history(-1).errorCode(), kBadParameter);

    QNetworkAccessManager network;
    QList<QByteArray> loaded;
    int code = -1;
    board::historySource()(&network, {m_service.baseUrl(), kOtherRoom, student.userId, student.sig},
                           [&](int c, const QList<QByteArray> &envelopes) {
                             code = c;
                             loaded = envelopes;
                           });
    QTRY_COMPARE_WITH_TIMEOUT(code, 0, 20000);
    QCOMPARE(loaded.size(), kMessages);
    QVERIFY(loaded.last().startsWith("{\"seq\":7,"));
  }

private:
  LocalService m_service;
};

QTEST_GUILESS_MAIN(TestServiceBoard)
#include "test_service_board.moc"

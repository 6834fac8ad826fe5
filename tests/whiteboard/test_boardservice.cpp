// The board service: pages of the plain whiteboard and of documents, the listener, sending its
// data to the class group and following the data that arrives.
#include "messaging/imservice.h"
#include "messaging/wbmessage.h"
#include "sdk/board/boardids.h"
#include "sdk/board/boardsdk.h"
#include "sdk/im/imbridge.h"
#include "whiteboard/boardservice.h"
#include "whiteboard/boardservicecallback.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QtTest>

namespace {

class Listener : public BoardServiceCallback {
public:
  void onRefreshBoardData(bool result) override {
    QMutexLocker lock(&mutex);
    ++refreshes;
    lastResult = result;
  }
  void onStatusChanged(bool u, bool r, bool c, bool m) override {
    QMutexLocker lock(&mutex);
    ++statuses;
    status = {u, r, c, m};
  }
  int refreshCount() {
    QMutexLocker lock(&mutex);
    return refreshes;
  }
  QMutex mutex;
  int refreshes = 0, statuses = 0;
  bool lastResult = false;
  std::array<bool, 4> status{};
};

// Keeps every whiteboard envelope sent to the group.
class GroupRecorder {
public:
  GroupRecorder() {
    imbridge::setSender([this](const hubproto::Conversation &conv, const QVector<hubproto::Element> &elems,
                               const QString *, imbridge::SendDone done) {
      QMutexLocker lock(&mutex_);
      for (const hubproto::Element &e : elems)
        sent_.append({conv.peer, e.data});
      done(0, QString());
    });
  }
  ~GroupRecorder() { imbridge::setSender({}); }
  QList<QPair<QString, QByteArray>> sent() {
    imbridge::flush();
    QMutexLocker lock(&mutex_);
    return sent_;
  }

private:
  QMutex mutex_;
  QList<QPair<QString, QByteArray>> sent_;
};

BoardClassData classData(const char *user, const std::string &group) {
  BoardClassData data;
  data.userId = QString::fromLatin1(user);
  data.userSig = QStringLiteral("sig");
  data.appId = 1400000001;
  data.groupId = group;
  data.previewUrl = QStringLiteral("http://127.0.0.1:9/preview");
  return data;
}

// A service whose board data is ready (no room, so no history).
struct Ready {
  explicit Ready(const char *user = "teacher", const std::string &group = std::string())
      : service(classData(user, group)) {
    service.setListener(&listener);
    service.getBoardData();
  }
  bool ready() {
    QDeadlineTimer deadline(5000);
    while (listener.refreshCount() < 1 && !deadline.hasExpired())
      QTest::qWait(10);
    return listener.refreshCount() == 1;
  }
  Listener listener;
  BoardService service;
};

} // namespace

class TestBoardService : public QObject {
  Q_OBJECT
private slots:
  void classDataTakesTheDeploymentsAddresses();
  void constructionIsLogged();
  void noBoardsShowsTheDefaultBoardAsPageOneOfOne();
  void settingAListenerReportsTheStatusAtOnce();
  void plainPages();
  void documentsUsePreviewPages();
  void localDataGoesToTheGroupOnlyWithAGroup();
  void arrivingDataIsDrawnAndPagesFollow();
};

void TestBoardService::classDataTakesTheDeploymentsAddresses() {
  // Before anything reads the deployment in this process.
  qputenv("TARNWICK_PREVIEW_URL", "http://preview.example:1/p");
  qputenv("TARNWICK_BACKEND_URL", "http://backend.example:2");
  const BoardClassData data = BoardClassData::fromDeployment();
  QCOMPARE(data.previewUrl, QStringLiteral("http://preview.example:1/p"));
  QCOMPARE(data.serviceUrl, QStringLiteral("http://backend.example:2"));
  QVERIFY(data.groupId.empty());
}

void TestBoardService::constructionIsLogged() {
  BoardClassData data = classData("u1", std::string());
  data.roomId = 0;
  QTest::ignoreMessage(QtDebugMsg, "new BoardSDK(userId=u1, userSig=sig, sdkAppID=1400000001, roomID=0)");
  BoardService service(data);
}

void TestBoardService::noBoardsShowsTheDefaultBoardAsPageOneOfOne() {
  Ready r;
  QVERIFY(r.ready());
  QVERIFY(r.listener.lastResult);
  QCOMPARE(r.service.currentFile(), std::string(board::kDefaultBoard));
  QCOMPARE(r.service.currentPage(), 1u);
  QCOMPARE(r.service.pageCount(), 1u);
  // Previous and next do nothing on page 1 of 1.
  r.service.previousPage();
  r.service.nextPage();
  QCOMPARE(r.service.currentPage(), 1u);
}

void TestBoardService::settingAListenerReportsTheStatusAtOnce() {
  BoardService service(classData("u1", std::string()));
  Listener listener;
  service.setListener(&listener);
  QCOMPARE(listener.statuses, 1);
  QCOMPARE(listener.status, (std::array<bool, 4>{false, false, false, false}));
}

void TestBoardService::plainPages() {
  Ready r;
  QVERIFY(r.ready());
  r.service.addPage();
  QCOMPARE(r.service.currentPage(), 2u);
  QCOMPARE(r.service.pageCount(), 2u);
  r.service.addPage();
  QCOMPARE(r.service.currentPage(), 3u);
  r.service.nextPage(); // on the last page: nothing
  QCOMPARE(r.service.currentPage(), 3u);
  r.service.previousPage();
  r.service.previousPage();
  QCOMPARE(r.service.currentPage(), 1u);
  QCOMPARE(r.service.renderWindow() != nullptr, true);
  r.service.gotoPage(2);
  r.service.deletePage(); // page 2 of 3: the number stays and names the next page
  QCOMPARE(r.service.currentPage(), 2u);
  QCOMPARE(r.service.pageCount(), 2u);
  r.service.deletePage(); // the last page: the new last page
  QCOMPARE(r.service.currentPage(), 1u);
  QCOMPARE(r.service.pageCount(), 1u);
}

void TestBoardService::documentsUsePreviewPages() {
  Ready r;
  QVERIFY(r.ready());
  r.service.addDocument(QStringLiteral("aaa.ppt"), 3);
  QVERIFY(!r.service.isPlainWhiteboard());
  QCOMPARE(r.service.currentFile().front(), '#');
  QCOMPARE(r.service.currentPage(), 1u);
  QCOMPARE(r.service.pageCount(), 3u);
  r.service.nextPage();
  r.service.nextPage();
  r.service.nextPage();
  QCOMPARE(r.service.currentPage(), 3u);
  // Deleting works on the plain whiteboard only.
  r.service.deletePage();
  QCOMPARE(r.service.pageCount(), 3u);
  // Adding a page goes back to the plain whiteboard.
  r.service.addPage();
  QVERIFY(r.service.isPlainWhiteboard());
  QCOMPARE(r.service.currentPage(), 2u);
}

void TestBoardService::localDataGoesToTheGroupOnlyWithAGroup() {
  GroupRecorder recorder;
  {
    Ready student("student");
    QVERIFY(student.ready());
    student.service.addPage();
    QTest::qWait(100);
  }
  QCOMPARE(recorder.sent().size(), 0);
  Ready teacher("teacher", "1001");
  QVERIFY(teacher.ready());
  teacher.service.addDocument(QStringLiteral("aaa.ppt"), 2);
  QTRY_VERIFY(recorder.sent().size() >= 4); // default board, document, go to page 1, its image
  const QList<QPair<QString, QByteArray>> sent = recorder.sent();
  QCOMPARE(sent.first().first, QStringLiteral("1001"));
  bool sawPreview = false;
  for (const auto &s : sent) {
    const QJsonObject value = QJsonDocument::fromJson(s.second).object().value("value").toObject();
    if (value.value("op") == QLatin1String("file"))
      sawPreview = value.value("urls").toArray().first().toString() ==
                   QLatin1String("http://127.0.0.1:9/preview/aaa.ppt?cmd=doc_preview&of=pic&page=1");
  }
  QVERIFY(sawPreview);
}

void TestBoardService::arrivingDataIsDrawnAndPagesFollow() {
  QList<QPair<QString, QByteArray>> sent;
  {
    GroupRecorder recorder;
    Ready teacher("teacher", "1001");
    QVERIFY(teacher.ready());
    teacher.service.addDocument(QStringLiteral("aaa.ppt"), 3);
    teacher.service.gotoPage(2);
    QTest::qWait(200);
    sent = recorder.sent();
  }
  Ready student("student");
  QVERIFY(student.ready());
  for (const auto &s : sent)
    wbmessage::deliverEnvelope(s.second.constData(), std::size_t(s.second.size()), IMService::instance());
  QTRY_VERIFY(student.listener.refreshCount() >= 2);
  QVERIFY(!student.service.isPlainWhiteboard());
  QCOMPARE(student.service.currentPage(), 2u);
  QCOMPARE(student.service.pageCount(), 3u);
}

QTEST_MAIN(TestBoardService)
#include "test_boardservice.moc"

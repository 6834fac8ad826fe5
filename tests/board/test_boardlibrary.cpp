// The whiteboard library: what one instance draws, another rebuilds from its action data;
// undo and redo; data that arrives twice; documents with background images; history.
#include "boarddriver.h"
#include "boardrecorder.h"

#include "sdk/board/boardhistory.h"
#include "sdk/board/boardids.h"
#include "sdk/board/boardsdk.h"
#include "support/httpserver.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QBuffer>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

using namespace boarddriver;

namespace {
constexpr uint32_t kRed = 0xFF0100FFu;
constexpr uint32_t kBlue = 0x0075FFFFu;

struct Instance {
  explicit Instance(const char *user = "teacher") : board(user) {
    board.setCallback(&recorder);
    board.pageOperate(board::kDefaultBoard, {});
  }
  void tool(board::Tool t, uint32_t color, uint32_t width, bool fill = false) {
    board.useTool(t);
    board.setColor(color);
    board.setWidth(width);
    board.setFill(fill);
  }
  // Waits until the library has reported n pieces of action data in all.
  bool settled(int n) {
    QDeadlineTimer deadline(5000);
    while (recorder.actionCount() < n && !deadline.hasExpired())
      QTest::qWait(10);
    QTest::qWait(50); // nothing more arrives
    return recorder.actionCount() == n;
  }
  BoardRecorder recorder;
  BoardSDK board;
};

// A student of room 1001 who asks for the board data, with whatever history source is set;
// the source is reset once the data has been reported.
struct LateStudent {
  LateStudent() : board("student") {
    board.setCallback(&recorder);
    board.enableDefaultReporter(1400000001, 1001, "sig");
    board.getBoardData();
  }
  ~LateStudent() { board::setHistorySource({}); }
  bool loaded() {
    const bool reported = QTest::qWaitFor([this] { return recorder.boardDataCount() == 1; }, 5000);
    board::setHistorySource({});
    return reported;
  }
  BoardRecorder recorder;
  BoardSDK board;
};

QByteArray envelopeOf(const QByteArray &action) {
  QJsonObject envelope{{"seq", 1}, {"timestamp", 0},
                       {"value", QJsonDocument::fromJson(action).object()}};
  return QJsonDocument(envelope).toJson(QJsonDocument::Compact);
}
// The teacher goes to the default board and draws one red stroke; the envelopes the service
// keeps of it (empty when the library did not report both actions).
QList<QByteArray> strokeKeptByTheService(Instance &teacher) {
  teacher.tool(board::ToolPen, kRed, 100);
  drag(teacher.board.getRenderWindow(), {{40, 40}, {300, 300}, {500, 60}});
  QList<QByteArray> envelopes;
  if (!teacher.settled(2))
    return envelopes;
  for (const QByteArray &a : teacher.recorder.actions())
    envelopes.append(envelopeOf(a));
  return envelopes;
}
} // namespace

class TestBoardLibrary : public QObject {
  Q_OBJECT
private slots:
  void replayGivesTheSamePicture();
  void undoAndRedoRoundTrip();
  void dataAppendedTwiceAppliesOnce();
  void selectCopyAndRemove();
  void pagesAndDocumentsFollowTheIdRules();
  void documentPagesShowTheirImages();
  void historyIsReplayedBeforeBoardDataIsReady();
  void historyThatFailsIsReported();
  void liveDataWhileTheHistoryLoadsIsAppliedAfterIt();
  void clearingTheCallbackWaitsForOneInProgress();
};

void TestBoardLibrary::replayGivesTheSamePicture() {
  Instance teacher;
  QWidget *view = teacher.board.getRenderWindow();
  const QImage blank = picture(teacher.board);
  teacher.tool(board::ToolPen, kRed, 100);
  drag(view, {{50, 50}, {120, 80}, {200, 60}, {260, 140}});
  teacher.tool(board::ToolRectangle, kBlue, 150, true);
  drag(view, {{300, 100}, {420, 200}});
  teacher.tool(board::ToolEllipse, 0x00CC00FFu, 50);
  drag(view, {{100, 200}, {250, 320}});
  teacher.tool(board::ToolLine, 0x000000FFu, 100);
  drag(view, {{400, 300}, {600, 40}});
  teacher.tool(board::ToolEraser, 0, 100);
  drag(view, {{350, 150}, {370, 150}}); // over the filled rectangle
  teacher.board.setBackgroundColor(0xFFFFE0FFu);
  const QImage drawn = picture(teacher.board);
  QVERIFY(drawn != blank);

  // The callbacks arrive on the library's own thread, each change as one piece of data.
  QVERIFY(teacher.settled(7));
  QVERIFY(teacher.recorder.cameOffThread(QThread::currentThread()));

  Instance student("student");
  replay(student.board, teacher.recorder.actions());
  QCOMPARE(picture(student.board), drawn);
  QCOMPARE(student.board.getCurrentBoard(), teacher.board.getCurrentBoard());
}

void TestBoardLibrary::undoAndRedoRoundTrip() {
  Instance teacher;
  QWidget *view = teacher.board.getRenderWindow();
  teacher.tool(board::ToolPen, kRed, 150);
  drag(view, {{40, 40}, {300, 300}});
  const QImage one = picture(teacher.board);
  drag(view, {{40, 300}, {300, 40}});
  const QImage two = picture(teacher.board);
  QVERIFY(one != two);

  teacher.board.undo();
  QCOMPARE(picture(teacher.board), one);
  QTRY_VERIFY(teacher.recorder.status().undo && teacher.recorder.status().redo);
  teacher.board.undo();
  teacher.board.undo(); // nothing left: no data
  QVERIFY(teacher.settled(5));
  QTRY_VERIFY(!teacher.recorder.status().undo && teacher.recorder.status().redo);
  teacher.board.redo();
  teacher.board.redo();
  QCOMPARE(picture(teacher.board), two);
  QTRY_VERIFY(teacher.recorder.status().undo && !teacher.recorder.status().redo);

  // Undo and redo travel as data too.
  QVERIFY(teacher.settled(7));
  Instance student("student");
  replay(student.board, teacher.recorder.actions());
  QCOMPARE(picture(student.board), two);

  // A new drawing after an undo ends the redo chain.
  teacher.board.undo();
  drag(view, {{500, 40}, {600, 100}});
  QTRY_VERIFY(!teacher.recorder.status().redo);
}

void TestBoardLibrary::dataAppendedTwiceAppliesOnce() {
  Instance teacher;
  QWidget *view = teacher.board.getRenderWindow();
  teacher.tool(board::ToolPen, kRed, 100);
  drag(view, {{40, 40}, {300, 300}});
  teacher.board.undo();
  teacher.board.redo();
  QVERIFY(teacher.settled(4)); // go to the default board, stroke, undo, redo
  const QList<QByteArray> actions = teacher.recorder.actions();
  const QImage drawn = picture(teacher.board);

  Instance student("student");
  const QImage blank = picture(student.board);
  replay(student.board, actions);
  QCOMPARE(picture(student.board), drawn);
  // The undo again (say, from the history after the live message): the stroke stays.
  replay(student.board, {actions[2]});
  QCOMPARE(picture(student.board), drawn);
  // Undo and stroke in one piece of data, again: nothing changes.
  const QByteArray both = "[" + actions[2] + "," + actions[1] + "]";
  student.board.appendActionsData(both.constData(), uint32_t(both.size()));
  QCOMPARE(picture(student.board), drawn);
  // Garbage is ignored.
  student.board.appendActionsData("{\"op\":", 6);
  student.board.appendActionsData(nullptr, 10);
  QCOMPARE(picture(student.board), drawn);
  QVERIFY(drawn != blank);
}

void TestBoardLibrary::selectCopyAndRemove() {
  Instance teacher;
  QWidget *view = teacher.board.getRenderWindow();
  teacher.tool(board::ToolRectangle, kBlue, 100, true);
  drag(view, {{100, 100}, {200, 200}});
  const QImage one = picture(teacher.board);
  teacher.board.useTool(board::ToolSelect);
  drag(view, {{90, 90}, {210, 210}});
  QTRY_VERIFY(teacher.recorder.status().copy && teacher.recorder.status().remove);
  teacher.board.copy();
  const QImage copied = picture(teacher.board);
  QVERIFY(copied != one);
  teacher.board.remove(); // the copy is the selection now
  QTRY_VERIFY(!teacher.recorder.status().copy && !teacher.recorder.status().remove);
  teacher.board.useTool(board::ToolNone);
  QCOMPARE(picture(teacher.board), one);
}

void TestBoardLibrary::pagesAndDocumentsFollowTheIdRules() {
  Instance teacher;
  const std::string page2 = teacher.board.addBoard();
  QCOMPARE(board::fileOfBoard(page2), std::string(board::kDefaultBoard));
  QCOMPARE(teacher.board.getCurrentBoard(), std::string(board::kDefaultBoard));
  std::vector<std::string> ids;
  const std::string file = teacher.board.addFile({L"http://x/a?page=1", L"http://x/a?page=2",
                                                  L"http://x/a?page=3"}, ids);
  QCOMPARE(ids.size(), std::size_t(3));
  for (unsigned page = 1; page <= 3; ++page) {
    QCOMPARE(board::fileOfBoard(ids[page - 1]), file);
    QCOMPARE(board::pageOfBoard(ids[page - 1]), page);
  }
  QCOMPARE(teacher.board.getAllBoards(),
           (std::vector<std::string>{board::kDefaultBoard, page2, ids[0], ids[1], ids[2]}));
  QCOMPARE(teacher.board.pageOperate(ids[1].c_str(), {page2}), 0);
  QCOMPARE(teacher.board.getCurrentBoard(), ids[1]);
  QCOMPARE(teacher.board.getAllBoards().size(), std::size_t(4));
  QCOMPARE(teacher.board.pageOperate("nowhere#DEFAULT", {}), -1);
  QCOMPARE(teacher.board.getCurrentBoard(), ids[1]);
}

void TestBoardLibrary::documentPagesShowTheirImages() {
  QImage page(320, 180, QImage::Format_RGB32);
  page.fill(QColor(20, 160, 40));
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  QVERIFY(page.save(&buffer, "PNG"));
  testsupport::HttpServer previews;
  previews.route(QStringLiteral("/p1.png"), testsupport::HttpReply{200, png, "image/png"});
  BoardSDK::setImageOrigins({previews.baseUrl().toStdString()});
  const std::wstring good = (previews.baseUrl() + QStringLiteral("/p1.png")).toStdWString();
  const std::wstring missing = (previews.baseUrl() + QStringLiteral("/none.png")).toStdWString();

  Instance teacher;
  std::vector<std::string> ids;
  teacher.board.addFile({good, missing}, ids);
  teacher.board.pageOperate(ids[0].c_str(), {});
  QTRY_COMPARE(picture(teacher.board).pixelColor(kPictureWidth / 2, kPictureHeight / 2),
               QColor(20, 160, 40));

  QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^TICSDK: background image .*none.png failed"));
  teacher.board.pageOperate(ids[1].c_str(), {});
  const QImage plain = picture(teacher.board);
  QTest::qWait(200); // the failure has been logged and the page stays plain
  QCOMPARE(picture(teacher.board).pixelColor(kPictureWidth / 2, kPictureHeight / 2), QColor(Qt::white));
  QCOMPARE(picture(teacher.board), plain);
}

void TestBoardLibrary::historyIsReplayedBeforeBoardDataIsReady() {
  Instance teacher;
  const QList<QByteArray> envelopes = strokeKeptByTheService(teacher);
  QCOMPARE(envelopes.size(), 2);
  board::HistoryQuery asked;
  board::setHistorySource([&](QNetworkAccessManager *, const board::HistoryQuery &q, board::HistoryDone done) {
    asked = q;
    done(0, envelopes);
  });
  LateStudent late;
  QVERIFY(late.loaded());
  QVERIFY(late.recorder.lastBoardData());
  QCOMPARE(asked.roomId, 1001u);
  QCOMPARE(asked.userId, QStringLiteral("student"));
  QCOMPARE(asked.userSig, QStringLiteral("sig"));
  QCOMPARE(picture(late.board), picture(teacher.board));
}

// A late joiner hears the class live from before its history has been answered; what it hears
// in between may build on what only the history holds.
void TestBoardLibrary::liveDataWhileTheHistoryLoadsIsAppliedAfterIt() {
  Instance teacher;
  const QList<QByteArray> envelopes = strokeKeptByTheService(teacher);
  QCOMPARE(envelopes.size(), 2);
  QMutex heldMutex;
  board::HistoryDone held;
  board::setHistorySource([&](QNetworkAccessManager *, const board::HistoryQuery &, board::HistoryDone done) {
    QMutexLocker lock(&heldMutex);
    held = done;
  });
  LateStudent late;
  QVERIFY(QTest::qWaitFor([&] { QMutexLocker lock(&heldMutex); return bool(held); }, 5000));

  // While the answer is on its way: the history's stroke taken back, a new page, a stroke there.
  teacher.board.undo();
  const std::string page = teacher.board.addBoard();
  QCOMPARE(teacher.board.pageOperate(page.c_str(), {}), 0);
  teacher.tool(board::ToolPen, kBlue, 60);
  drag(teacher.board.getRenderWindow(), {{100, 200}, {400, 250}});
  QVERIFY(teacher.settled(6));
  boarddriver::replay(late.board, teacher.recorder.actions().mid(2));
  QTest::qWait(50);
  QCOMPARE(late.recorder.boardDataCount(), 0);

  {
    QMutexLocker lock(&heldMutex);
    held(0, envelopes);
  }
  QVERIFY(late.loaded());
  QVERIFY(late.recorder.lastBoardData());
  QCOMPARE(late.board.getCurrentBoard(), page);
  QCOMPARE(picture(late.board), picture(teacher.board));
  // The first page as well: its stroke stays taken back.
  teacher.board.pageOperate(board::kDefaultBoard, {});
  QVERIFY(teacher.settled(7));
  boarddriver::replay(late.board, {teacher.recorder.actions().last()});
  QCOMPARE(late.board.getCurrentBoard(), std::string(board::kDefaultBoard));
  QCOMPARE(picture(late.board), picture(teacher.board));
}

void TestBoardLibrary::historyThatFailsIsReported() {
  board::setHistorySource([](QNetworkAccessManager *, const board::HistoryQuery &, board::HistoryDone done) {
    done(board::kHistoryUnreachable, {});
  });
  LateStudent late;
  QVERIFY(late.loaded());
  QVERIFY(!late.recorder.lastBoardData());
  QCOMPARE(late.recorder.reports(), QList<int>{board::kHistoryUnreachable});
}


void TestBoardLibrary::clearingTheCallbackWaitsForOneInProgress() {
  // The receiver goes right after clearing the callback, so a history answer being handled
  // on the library's thread must be over by then, and a later one must reach nobody.
  struct SlowReceiver : BoardRecorder {
    QSemaphore entered;
    std::atomic<bool> finished{false};
    void onGetBoardData(bool result) override {
      entered.release();
      QThread::msleep(300);
      BoardRecorder::onGetBoardData(result);
      finished = true;
    }
  } receiver;
  QSemaphore answered;
  board::setHistorySource([&answered](QNetworkAccessManager *, const board::HistoryQuery &, board::HistoryDone done) {
    done(0, {});
    answered.release();
  });
  BoardSDK student("student");
  student.setCallback(&receiver);
  student.enableDefaultReporter(1400000001, 1001, "sig");
  student.getBoardData();
  QVERIFY(receiver.entered.tryAcquire(1, 5000));
  student.setCallback(nullptr);
  QVERIFY(receiver.finished);

  student.getBoardData();
  QVERIFY(answered.tryAcquire(2, 5000));
  QCOMPARE(receiver.boardDataCount(), 1);
  board::setHistorySource({});
}

QTEST_MAIN(TestBoardLibrary)
#include "test_boardlibrary.moc"

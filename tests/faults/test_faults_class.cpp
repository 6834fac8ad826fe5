// Faults during a class, met by the student's real program (shell and classroom) against the
// real local service on loopback: the hub link drops for a moment or for good, the backend
// stops answering, the service restarts. Each case ends with the student back at the portal.

#include "faultclass.h"
#include "shellstudent.h"
#include "studentview.h"

#include "boxdriver.h"

#include "av/qwidgetvideorendercontainer.h"
#include "av/videotilepool.h"

#include "classroom/mainform.h"
#include "classroom_widgets/reconnectbanner.h"
#include "messaging/classcommand.h"
#include "messaging/wbenvelope.h"
#include "net/networkhelper.h"
#include "net/sxbserverhelper.h"
#include "pagescript.h"
#include "shell/browserwindow.h"
#include "shell/webview.h"
#include "teacher/teacherboard.h"
#include "whiteboard/qwindowwhiteboard.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

using namespace faults;

namespace {

const QString kConnectionLost = QStringLiteral("与课堂的连接异常中断，请检查网络是否正常！");
constexpr int kShortLimitMs = 1500;
// Camera frames the teacher must receive to count the camera as publishing.
constexpr int kSomeFrames = 5;


} // namespace

class TestFaultsClass : public QObject, ShellClass {
  Q_OBJECT
  QTimer keepAlive;

  bool teacherSays(const QString &text) {
    return teacher.command(ClassCommandCode::Chat, chatPageMessage(QStringLiteral("周老师"), text)) == 0;
  }
  // How many chat page messages (2056) the teacher received that carry the text; the
  // classroom sends each line as plain text too.
  int teacherGot(const QString &text) const {
    return int(std::count_if(teacher.received.cbegin(), teacher.received.cend(), [&](const hubproto::ImMessage &m) {
      return std::any_of(m.elems.cbegin(), m.elems.cend(), [&](const hubproto::Element &e) {
        return e.kind == hubproto::Element::Custom && QString::fromUtf8(e.data).contains(text);
      });
    }));
  }
  // Commands 4 ("a student left") the teacher has received for the student.
  int leftNotices() const {
    int n = 0;
    for (const hubproto::ImMessage &m : teacher.received)
      for (const hubproto::Element &e : m.elems) {
        ClassCommand c;
        if (e.kind == hubproto::Element::Custom && ClassCommand::parse(e.data, &c) &&
            c.userAction == int(ClassCommandCode::MemberLeft))
          ++n;
      }
    return n;
  }

  // Sends the board's envelopes to the class on the teacher's link, as its program does.
  void sendBoard(QList<QByteArray> *envelopes) {
    const QString ext = QString::fromLatin1(wbenvelope::kExt);
    for (const QByteArray &e : qAsConst(*envelopes)) {
      QVERIFY(std::size_t(e.size()) <= wbenvelope::kMaxCustomBytes);
      QCOMPARE(teacher.sendGroup({customElement(e, ext)}, &ext), 0);
    }
    envelopes->clear();
  }
  // The teacher shows the board and starts drawing on its own; the student's board has started
  // and shows none of the stroke yet.
  void boardShown(MainForm *w, TeacherBoard *drawing, QList<QByteArray> *envelopes) {
    QCOMPARE(teacher.command(ClassCommandCode::Display, QStringLiteral("WhiteBoard")), 0);
    QTRY_VERIFY_WITH_TIMEOUT(w->findChild<QWindowWhiteBoard *>() && w->isReadyToLeave(), 15000);
    bool ready = false;
    drawing->whenReady([&ready] { ready = true; });
    QTRY_VERIFY_WITH_TIMEOUT(ready, 10000);
    QTest::qWait(200); // the first page's envelopes come queued
    sendBoard(envelopes);
    QVERIFY(!boardShowsRedAt(w, kStrokeX, kStrokeY));
  }
  static bool ownTileShows(const QString &me) {
    QWidgetVideoRenderContainer *tile = VideoTilePool::instance().tile(me);
    return tile && tile->isVisible();
  }
  // The teacher lets the student on stage and asks for its camera: the student's own tile
  // shows and the teacher can receive its camera.
  void onStageWithCamera(MainForm *w) {
    const QString me = w->userId();
    QCOMPARE(teacher.grantStage(me), 0);
    QCOMPARE(teacher.command(ClassCommandCode::CameraRequest, QString(), me), 0);
    QTRY_COMPARE_WITH_TIMEOUT(w->status(), 3, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(ownTileShows(me), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(teacher.subscribeCamera(me), 0, 10000);
  }

private slots:
  void initTestCase() {
    const QString error = start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // The teacher's own link stays up through the long cases, as its program's keep-alive
    // would keep it.
    connect(&keepAlive, &QTimer::timeout, [this] {
      if (teacher.client)
        teacher.client->ping([](const sdk::HubReply &) {});
    });
    keepAlive.start(kKeepAliveMs);
  }

  void cleanup() {
    BoxDriver::closeInformation();
    SxbServerHelper::setTimeLimitMs(SxbServerHelper::kDefaultTimeLimitMs);
    world.http().setFrozen(false);
    world.hub().setFrozen(false);
    QVERIFY(student->leave());
    QVERIFY(student->backAtPortal());
    BoxDriver::closeInformation();
  }

  void cleanupTestCase() {
    stop();
  }

  // A three-second cut mid-class, the student on stage with the camera and the board shown:
  // the banner shows and goes, no box, the teacher's chat from during the cut shows once and
  // in order, the student's own line from during the cut reaches the teacher once, the stroke
  // drawn during the cut shows on the student's board, the student keeps its tile and its
  // camera reaches the teacher again, and the teacher never saw the student leave or come again.
  void shortHubCutKeepsTheClass() {
    QVERIFY(student->enter());
    MainForm *w = student->classroom();
    QVERIFY(w->findChild<WebView *>());
    QVERIFY(teacherSays(QStringLiteral("断线前")));
    QTRY_VERIFY_WITH_TIMEOUT(chatRows(w).contains(QStringLiteral("断线前")), 15000);
    int exits = 0, enters = 0;
    const QString me = w->userId();
    QObject watching; // ends the counting with this case
    QObject::connect(teacher.client.get(), &sdk::HubClient::memberNotice, &watching,
                     [&](quint32, const QString &event, const QString &userId, const QString &) {
                       exits += event == QLatin1String("exit") && userId == me;
                       enters += event == QLatin1String("enter") && userId == me;
                     });
    TeacherBoard drawing(teacher.userId, kRoom, world.directUrl() + QStringLiteral("/preview"));
    QList<QByteArray> envelopes;
    QObject::connect(&drawing, &TeacherBoard::envelope, &watching, [&](const QByteArray &e) { envelopes << e; });
    boardShown(w, &drawing, &envelopes);
    if (QTest::currentTestFailed()) return;
    onStageWithCamera(w);
    if (QTest::currentTestFailed()) return;
    int frames = 0;
    QObject::connect(teacher.client.get(), &sdk::HubClient::mediaFrame, &watching, [&](const hubproto::MediaFrame &f) {
      frames += f.kind == hubproto::MediaFrame::Video && f.source == hubproto::Source::Camera && f.userId == me.toUtf8();
    });
    QTRY_VERIFY_WITH_TIMEOUT(frames >= kSomeFrames, 10000);

    world.hub().cutAll();
    world.hub().setFrozen(true);
    QTRY_VERIFY_WITH_TIMEOUT(w->reconnectBanner()->isVisible(), 5000);
    QCOMPARE(w->reconnectBanner()->text(), QString::fromUtf8(ReconnectBanner::kText));
    QVERIFY(teacherSays(QStringLiteral("断线中一")));
    QVERIFY(teacherSays(QStringLiteral("断线中二")));
    QVERIFY(studentSays(w, QStringLiteral("学生断线中")));
    drawing.useTool(QStringLiteral("pen"), kRed, kPenWidth, false);
    drawing.draw(strokeAcrossTheBoard());
    QTest::qWait(kShortCutMs);
    QVERIFY(!envelopes.isEmpty());
    sendBoard(&envelopes);
    QVERIFY(!boardShowsRedAt(w, kStrokeX, kStrokeY));
    const int framesBefore = frames; // nothing more came over the cut link
    world.hub().setFrozen(false);

    QTRY_VERIFY_WITH_TIMEOUT(!w->reconnectBanner()->isVisible(), 10000);
    QVERIFY(showsOnceInOrder(w, QStringLiteral("断线中一"), QStringLiteral("断线中二")));
    QTRY_COMPARE_WITH_TIMEOUT(teacherGot(QStringLiteral("学生断线中")), 1, 10000);
    QVERIFY(teacherSays(QStringLiteral("断线后")));
    QTRY_VERIFY_WITH_TIMEOUT(chatRows(w).contains(QStringLiteral("断线后")), 15000);
    QCOMPARE(teacherGot(QStringLiteral("学生断线中")), 1);
    QTRY_VERIFY_WITH_TIMEOUT(boardShowsRedAt(w, kStrokeX, kStrokeY), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(frames >= framesBefore + kSomeFrames, 10000);
    QVERIFY(ownTileShows(me));
    QCOMPARE(exits, 0);
    QCOMPARE(enters, 0);
    QCOMPARE(w->status(), 3);
    QVERIFY(!w->isClosed());
    QVERIFY(BoxDriver::openInformation().isEmpty());
  }

  // A cut longer than the tries: the connection-lost path as before (one box, the portal
  // back), and soon after the service counts the student no more, although it heard no exit.
  void longCutEndsTheClassAndTheServiceForgetsTheStudent() {
    QVERIFY(student->enter());
    MainForm *w = student->classroom();
    QSignalSpy released(w, &MainForm::releaseFinished);
    QCOMPARE(onlineInRoom(world.service()), 2);
    world.hub().cutAll();
    world.hub().setFrozen(true);
    world.http().setFrozen(true); // the whole network: no exit, no heartbeats either
    SxbServerHelper::setTimeLimitMs(kShortLimitMs);
    QTRY_VERIFY_WITH_TIMEOUT(w->reconnectBanner()->isVisible(), 5000);
    QVERIFY(BoxDriver::openInformation().isEmpty());
    QElapsedTimer sinceCut;
    sinceCut.start();
    QVERIFY(QTest::qWaitFor([] { return !BoxDriver::openInformation().isEmpty(); }, kLongCutMs));
    QVERIFY2(sinceCut.elapsed() > 25000, "the class was given up before the tries ran out");
    QVERIFY(boxSays(kConnectionLost));
    QTest::qWait(kShortLimitMs + 1000); // the exit met the cut network too
    world.http().setFrozen(false);
    QVERIFY(student->backAtPortal());
    QTRY_COMPARE_WITH_TIMEOUT(released.count(), 1, 10000);
    QVERIFY(w->isClosed());
    BoxDriver::closeInformation();
    QTRY_COMPARE_WITH_TIMEOUT(onlineInRoom(world.service()), 1, 30000);
    world.hub().setFrozen(false);

    QVERIFY(student->enter());
    QVERIFY(student->classroom() != w);
    QVERIFY(student->classroom()->heartbeatTimer()->isActive());
  }

  // Heartbeats into a backend that accepts connections and never answers: each call ends at
  // its time limit and takes its objects with it; leaving still gets out.
  void backendStopsAnswering() {
    QVERIFY(student->enter());
    MainForm *w = student->classroom();
    QTest::qWait(500); // the entry's own calls are over
    const int helpers = NetworkHelper::liveCount();
    const int calls = SxbServerHelper::liveCount();
    SxbServerHelper::setTimeLimitMs(kShortLimitMs);
    world.http().setFrozen(true);
    for (int i = 0; i < 8; ++i) {
      w->onHeartBeatTimer();
      w->onRefreshUserTimer();
      QTest::qWait(250);
    }
    QVERIFY(NetworkHelper::liveCount() > helpers); // they really hang
    QTRY_COMPARE_WITH_TIMEOUT(NetworkHelper::liveCount(), helpers, kShortLimitMs + 3000);
    QCOMPARE(SxbServerHelper::liveCount(), calls);
    QVERIFY(w->heartbeatTimer()->isActive());
    QVERIFY(BoxDriver::openInformation().isEmpty()); // heartbeat errors show nothing

    const int leftBefore = leftNotices();
    QSignalSpy released(w, &MainForm::releaseFinished);
    student->shell()->leaveClass(false);
    QVERIFY(student->backAtPortal());
    QVERIFY(boxSays(SxbServerHelper::timeoutText())); // the exit's own time limit
    QTRY_COMPARE_WITH_TIMEOUT(released.count(), 1, kShortLimitMs + 10000);
    QVERIFY(w->isClosed());
    QTRY_COMPARE(leftNotices(), leftBefore + 1); // the class heard the student leave
    QTRY_COMPARE(NetworkHelper::liveCount(), helpers);
  }

  // A restarted service knows nobody but signs with the same secret: the hub link comes back
  // to the new hub (no connection-lost box), the backend has forgotten the sign-in, so leaving
  // meets its refusal; signing in again (through the same addresses) brings the portal and the
  // next class back.
  void serviceRestarts() {
    QVERIFY(student->enter());
    MainForm *w = student->classroom();
    teacher.close();
    QVERIFY(world.restart());
    QTRY_VERIFY_WITH_TIMEOUT(w->reconnectBanner()->isVisible(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!w->reconnectBanner()->isVisible(), kLongCutMs);
    QVERIFY(BoxDriver::openInformation().isEmpty());
    student->shell()->leaveClass(false);
    QVERIFY(student->backAtPortal());
    QVERIFY(boxSays(QStringLiteral("登录已失效")));
    BoxDriver::closeInformation();

    const SignedIn again = world.signIn();
    QCOMPARE(again.code, 0);
    QVERIFY(!again.token.isEmpty());
    student->signIn(again);
    QTRY_VERIFY_WITH_TIMEOUT(student->shell()->browserView()->url().toString().contains(again.token), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(js(student->shell()->browserView(), QStringLiteral("document.readyState")).toString(),
                              QStringLiteral("complete"), 15000);
    QVERIFY(!js(student->shell()->browserView(), QStringLiteral("document.title")).toString().contains(QStringLiteral("失效")));
    QVERIFY(teacher.enterAsTeacher(world.directUrl(), world.directHubUrl()));
    QVERIFY(student->enter());
  }
};

int main(int argc, char **argv) { return shellTestMain<TestFaultsClass>(argc, argv); }

#include "test_faults_class.moc"

// A whole class, pictures and all: the teacher publishes the test-pattern camera and the lesson
// slide, two classmates come on stage with their cameras, and each picture shows in its own
// view of the student's window. Pixels are sampled where the pictures do not change from frame
// to frame: the colour bars of the test pattern and the slide's plain areas (VP8 keeps those
// within the tolerance; a wrong or broken picture does not). The student reaches the hub over
// WebSocket through a relay that counts what it receives: the whole class must fit in 2 Mbit/s.
#include "classfixture.h"
#include "classpictures.h"
#include "loopbackproxy.h"

#include "av/qwidgetvideorender.h"
#include "av/qwidgetvideorendercontainer.h"
#include "av/videotilepool.h"
#include "classroom/classvideo.h"
#include "sdk/live/testpatterncamera.h"
#include "sdk/net/websockettransport.h"
#include "service/hub/hubwebsocketserver.h"
#include "support/inprocesstransport.h"
#include "teacher/classmate.h"
#include "teacher/screenslide.h"
#include "teacher/streampublisher.h"
#include "teacher/teachersession.h"

#include <QElapsedTimer>
#include <QTest>

using namespace classtest;
using namespace classpictures;
using ilivesdk::TestPatternCamera;

namespace {

constexpr double kMaxStudentMbps = 2.0;
const QString kMate1 = QStringLiteral("stu_2001");
const QString kMate2 = QStringLiteral("stu_2002");

TeacherCredentials signedIn(const QString &userId, const char *role = hubproto::kRoleGuest) {
  return TeacherCredentials::signedLocally(kSecret, userId, userId, kRoom, QLatin1String(role));
}

} // namespace

class TestSessionWholeClass : public QObject {
  Q_OBJECT

  std::unique_ptr<ClassWorld> world_;

  sdk::HubTransportFactory transports() {
    Hub *hub = world_->hub.get();
    return [hub] { return std::make_unique<sdk::InProcessTransport>(hub); };
  }

  // The teacher again, now from a session that publishes (the test's teacher connection is
  // replaced: the hub lets one connection per user).
  bool publish(TeacherSession &teacher, hubproto::Source source) {
    int result = -1;
    teacher.publish(source, [&](int code, const QString &) { result = code; });
    return QTest::qWaitFor([&] { return result == 0; }, 5000);
  }

  // The student's live SDK goes over WebSocket, through the relay, to the same hub.
  std::unique_ptr<HubWebSocketServer> server_;
  std::unique_ptr<LoopbackProxy> relay_;

private slots:
  void init() {
    world_ = std::make_unique<ClassWorld>();
    server_ = std::make_unique<HubWebSocketServer>(world_->hub.get());
    QVERIFY(server_->listen(QHostAddress::LocalHost, 0));
    relay_ = std::make_unique<LoopbackProxy>(server_->serverPort());
    const QUrl url(QStringLiteral("ws://127.0.0.1:%1").arg(relay_->port()));
    sdk::setHubTransportFactory([url] { return std::make_unique<sdk::WebSocketTransport>(url); });
    QVERIFY(world_->enter());
  }
  void cleanup() {
    world_.reset();
    relay_.reset();
    server_.reset();
    sdk::setHubTransportFactory({});
  }

  void everyPictureReachesItsView() {
    MainForm *w = world_->window;
    TeacherSession teacher(transports());
    int signIn = -1, entered = -1;
    const TeacherCredentials master = signedIn(kTeacherId, hubproto::kRoleLiveMaster);
    teacher.signIn(kTeacherId, master.userSig, [&](int code, const QString &) { signIn = code; });
    QVERIFY(QTest::qWaitFor([&] { return signIn == 0; }, 5000));
    teacher.enter(kRoom, master.authBuffer, [&](int code, const QString &, const QStringList &) { entered = code; });
    QVERIFY(QTest::qWaitFor([&] { return entered == 0; }, 5000));
    QVERIFY(publish(teacher, hubproto::Source::Camera));
    QVERIFY(publish(teacher, hubproto::Source::Screen));
    ScenarioSlide lesson{QStringLiteral("一次函数"), {QStringLiteral("y = kx + b")}};
    std::unique_ptr<StreamPublisher> camera(StreamPublisher::camera(&teacher, 15, nullptr));
    std::unique_ptr<StreamPublisher> screen(StreamPublisher::screen(&teacher, lesson, 5, nullptr));
    camera->start();
    screen->start();
    w->changeDisplay(QStringLiteral("Screen"));

    // The teacher alone: camera in the large view, slide in the screen view.
    QTRY_VERIFY_WITH_TIMEOUT(showsCameraOf(w->largeView(), kTeacherId), 8000);
    QVERIFY(w->largeView()->isVisible());
    const QByteArray slide = ScreenSlide(lesson).frame(0);
    QTRY_VERIFY_WITH_TIMEOUT(w->screenView()->streamUserId() == kTeacherId.toUtf8() &&
                                 showsSlide(w->screenView()->canvasSnapshot(), slide),
                             8000);
    QVERIFY(w->screenView()->isVisible());

    // Two classmates on stage: a tile each, and the teacher moves into the strip.
    QString problem1 = QStringLiteral("pending"), problem2 = problem1;
    Classmate mate1(transports()), mate2(transports());
    auto grant = [&teacher](const QString &userId, TeacherSession::Done done) { teacher.grantStage(userId, done); };
    mate1.join(signedIn(kMate1), kRoom, 15, grant, [&](const QString &p) { problem1 = p; });
    mate2.join(signedIn(kMate2), kRoom, 15, grant, [&](const QString &p) { problem2 = p; });
    QTRY_VERIFY(problem1.isEmpty() && problem2.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(showsCameraOf(tileOf(kMate1), kMate1), 8000);
    QTRY_VERIFY_WITH_TIMEOUT(showsCameraOf(tileOf(kMate2), kMate2), 8000);
    QCOMPARE(w->video()->router().teacherView(), VideoRouter::TeacherView::Tile);
    QTRY_VERIFY_WITH_TIMEOUT(showsCameraOf(tileOf(kTeacherId), kTeacherId), 8000);
    QTRY_VERIFY(!w->largeView()->isVisible());
    QVERIFY(tileOf(kMate1)->isVisible() && tileOf(kMate2)->isVisible());
    QCOMPARE(VideoTilePool::instance().count(), 3);
    // The slide stays where it was.
    QVERIFY(showsSlide(w->screenView()->canvasSnapshot(), slide));

    // What the whole class costs the student's link, over a few seconds of steady streams.
    const qint64 bytesBefore = relay_->bytesDown();
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(4000);
    const double mbps = (relay_->bytesDown() - bytesBefore) * 8.0 / (clock.elapsed() / 1000.0) / 1e6;
    qInfo("the student received %.2f Mbit/s (camera, slide, two classmates)", mbps);
    QVERIFY2(mbps > 0.05 && mbps < kMaxStudentMbps, qPrintable(QString::number(mbps)));
    QVERIFY(showsCameraOf(tileOf(kMate1), kMate1));
    QVERIFY(showsSlide(w->screenView()->canvasSnapshot(), slide));
  }
};

QTEST_MAIN(TestSessionWholeClass)
#include "test_session_wholeclass.moc"

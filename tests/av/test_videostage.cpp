// Frames of a whole class through the routing into real views: the teacher's camera and
// screen and a student on stage, sent from a media thread, end up in the right widgets with
// the right pictures, and the widgets change on the GUI thread in the order asked.
#include "av/qtwidgetup.h"
#include "av/qwidgetvideorender.h"
#include "av/qwidgetvideorendercontainer.h"
#include "av/stagevideoviews.h"
#include "av/videorouter.h"
#include "av/videotilepool.h"
#include "videoframes.h"

#include <QHBoxLayout>
#include <QTest>

#include <thread>

namespace {

constexpr int kTeacherLuma = 200; // about 214 once converted
constexpr int kStudentLuma = 100; // about 98
constexpr int kScreenLuma = 235;  // 255

int centre(QWidgetVideoRender *w) {
  const QImage canvas = w->canvasSnapshot();
  return canvas.isNull() ? -1 : level(canvas, canvas.width() / 2, canvas.height() / 2);
}

} // namespace

class TestVideoStage : public QObject {
  Q_OBJECT
private slots:
  void classFramesReachTheirViews();
  void tileLentAgainShowsNothingOfTheLastUser();
};

void TestVideoStage::classFramesReachTheirViews() {
  QWidget window;
  auto *column = new QVBoxLayout(&window);
  auto *large = new QWidgetVideoRender;
  auto *screen = new QWidgetVideoRender;
  auto *strip = new QtWidgetUp;
  column->addWidget(large);
  column->addWidget(screen);
  column->addWidget(strip);
  large->hide();
  strip->hide();
  window.resize(900, 700);
  window.show();
  QList<bool> frameShown;
  StageVideoViews views(large, screen, strip, [&frameShown](bool shown) { frameShown << shown; });
  VideoTilePool &pool = VideoTilePool::instance(true, &window);
  pool.setStage(strip);
  VideoRouter router(views, pool);
  router.setTeacherId(QStringLiteral("teacher"));
  router.setMemberName(QStringLiteral("teacher"), QStringLiteral("李老师"));
  router.setMemberName(QStringLiteral("s1"), QStringLiteral("小红"));
  router.setTeacherMicText(QStringLiteral("1"));

  TestFrame teacher = i420Frame(320, 240, [](int, int) { return kTeacherLuma; });
  TestFrame shared = i420Frame(640, 360, [](int, int) { return kScreenLuma; });
  shared.frame.srcType = ilive::VIDEO_SRC_SCREEN;
  TestFrame student = i420Frame(320, 240, [](int, int) { return kStudentLuma; });
  student.owner = "s1";

  auto media = [&](const std::function<void()> &work) {
    std::thread t(work);
    t.join();
    QCoreApplication::processEvents();
  };

  media([&] {
    router.remoteFrame(teacher.live()); // places the teacher in the large view
    router.remoteFrame(teacher.live());
    router.remoteFrame(shared.live());
  });
  QVERIFY(large->isVisible());
  QVERIFY(!strip->isVisible());
  QVERIFY(isBrightLevel(centre(large)));
  QCOMPARE(centre(screen), 255);
  QCOMPARE(frameShown, QList<bool>{true});

  QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
  media([&] {
    router.localFrame(student.live()); // the student's own camera: the first student tile
    router.localFrame(student.live());
    router.remoteFrame(teacher.live());
  });
  QVERIFY(!large->isVisible());
  QVERIFY(strip->isVisible());
  QCOMPARE(frameShown, QList<bool>({true, false}));
  QWidgetVideoRenderContainer *teacherTile = pool.tile(QStringLiteral("teacher"));
  QWidgetVideoRenderContainer *studentTile = pool.tile(QStringLiteral("s1"));
  QVERIFY(teacherTile && studentTile);
  QCOMPARE(strip->tileLayout()->indexOf(teacherTile), 0);
  QCOMPARE(strip->tileLayout()->indexOf(studentTile), 1);
  QVERIFY(teacherTile->isVisible() && studentTile->isVisible());
  QCOMPARE(teacherTile->render()->name(), QStringLiteral("李老师"));
  QCOMPARE(studentTile->render()->name(), QStringLiteral("小红"));
  QVERIFY(isBrightLevel(centre(teacherTile->render())));
  const int studentLevel = centre(studentTile->render());
  QVERIFY(studentLevel > 60 && studentLevel < 140);
  QCOMPARE(studentTile->render()->streamUserId(), QByteArray("s1"));

  // A name the roster learns once the tile is up (a rename, a late roster) reaches its bar,
  // from the media thread as well; a user without a tile is only remembered.
  media([&] {
    router.setMemberName(QStringLiteral("s1"), QStringLiteral("小红_二班"));
    router.setMemberName(QStringLiteral("s2"), QStringLiteral("小刚"));
  });
  QCOMPARE(studentTile->render()->name(), QStringLiteral("小红_二班"));
  QCOMPARE(teacherTile->render()->name(), QStringLiteral("李老师"));
  QCOMPARE(pool.tile(QStringLiteral("s2")), nullptr);

  // The student leaves the stage: the teacher goes back to the large view.
  router.removeUser(QStringLiteral("s1"));
  media([&] { router.remoteFrame(teacher.live()); });
  QCoreApplication::processEvents();
  QVERIFY(!teacherTile->isVisible() && !studentTile->isVisible());
  QCOMPARE(strip->tileLayout()->count(), 0);
  QVERIFY(large->isVisible());
  QCOMPARE(pool.count(), 0);
  pool.setStage(nullptr);
}

// A tile handed back and lent to someone else shows black until the new user's first frame,
// and a frame of the old user still on its way is not drawn in it.
void TestVideoStage::tileLentAgainShowsNothingOfTheLastUser() {
  QWidget window;
  auto *strip = new QtWidgetUp(&window);
  window.resize(900, 200);
  window.show();
  VideoTilePool &pool = VideoTilePool::instance(true, &window);
  pool.setStage(strip);
  TestFrame first = i420Frame(320, 240, [](int, int) { return kTeacherLuma; });
  first.owner = "s1";
  TestFrame second = i420Frame(320, 240, [](int, int) { return kStudentLuma; });
  second.owner = "s2";

  VideoTarget *lent = pool.attach(QStringLiteral("s1"), QStringLiteral("小红"), VideoTiles::kAtEnd);
  QVERIFY(lent);
  lent->inputFrame(first.live());
  QWidgetVideoRender *render = pool.tile(QStringLiteral("s1"))->render();
  QCoreApplication::processEvents();
  QVERIFY(isBrightLevel(centre(render)));

  pool.detach(QStringLiteral("s1"));
  QCOMPARE(pool.attach(QStringLiteral("s2"), QStringLiteral("小刚"), VideoTiles::kAtEnd), lent);
  QCoreApplication::processEvents();
  QCOMPARE(centre(render), -1);
  const QImage shown = render->grab().toImage();
  QCOMPARE(level(shown, shown.width() / 2, shown.height() / 2), 0);

  lent->inputFrame(first.live()); // s1's last frame, late
  QCOMPARE(centre(render), -1);
  lent->inputFrame(second.live());
  const int secondLevel = centre(render);
  QVERIFY2(secondLevel > 60 && secondLevel < 140, qPrintable(QString::number(secondLevel)));
  QCOMPARE(render->streamUserId(), QByteArray("s2"));
  pool.setStage(nullptr);
}

QTEST_MAIN(TestVideoStage)
#include "test_videostage.moc"

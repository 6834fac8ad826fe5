// The class's video seams in a running class: the teacher between the large view and the strip,
// the student's own tile, "hide_up", the teacher's microphone icon, the screen view following the
// display, and remote frames after closing has begun. Frames are handed to the classroom's frame
// sink as the live SDK's media thread would; the student's own camera frames come from the SDK.
#include "classfixture.h"

#include "av/qtwidgetup.h"
#include "av/qwidgetvideorender.h"
#include "av/qwidgetvideorendercontainer.h"
#include "av/videotilepool.h"
#include "classroom/classvideo.h"
#include "classroom/livecalls.h"
#include "classroom/memberroster.h"

#include <QTest>

using namespace classtest;

namespace {

// A plain grey I420 frame of a user's camera (or screen).
class Frame {
public:
  Frame(const QString &userId, ilive::VideoSrc source = ilive::VIDEO_SRC_CAMERA)
      : id_(userId.toUtf8()), data_(64 * 48 * 3 / 2, char(120)) {
    frame_.identifier = id_.constData();
    frame_.width = 64;
    frame_.height = 48;
    frame_.srcType = source;
    frame_.dataSize = uint32_t(data_.size());
    frame_.data = reinterpret_cast<const uint8_t *>(data_.constData());
  }
  const ilive::LiveVideoFrame &operator*() const { return frame_; }

private:
  QByteArray id_;
  QByteArray data_;
  ilive::LiveVideoFrame frame_;
};

QWidgetVideoRenderContainer *tileOf(const QString &userId) {
  return VideoTilePool::instance().tile(userId);
}

} // namespace

class TestSessionVideo : public QObject {
  Q_OBJECT

  std::unique_ptr<ClassWorld> world_;

  MainForm *window() { return world_->window; }
  ClassVideo *video() { return window()->video(); }
  QtWidgetUp *strip() { return window()->findChild<QtWidgetUp *>("widgetUp"); }
  VideoRouter::TeacherView teacherView() { return video()->router().teacherView(); }

  // The first frame of someone without a view places them, the next one is shown.
  void remoteFrames(const QString &userId, ilive::VideoSrc source = ilive::VIDEO_SRC_CAMERA) {
    Frame f(userId, source);
    video()->remoteFrame(*f);
    QCoreApplication::processEvents();
    video()->remoteFrame(*f);
    QCoreApplication::processEvents();
  }
  void stageStudent() {
    remoteFrames(kTeacherId);
    remoteFrames(kOtherStudentId);
  }

private slots:
  void init() {
    world_ = std::make_unique<ClassWorld>();
    QVERIFY(world_->enterWithRoster());
  }
  void cleanup() { world_.reset(); }

  void teacherMovesToTheStripAndBack() {
    remoteFrames(kTeacherId);
    QCOMPARE(teacherView(), VideoRouter::TeacherView::Large);
    QTRY_VERIFY(window()->largeView()->isVisible());
    QCOMPARE(window()->largeView()->streamUserId(), kTeacherId.toUtf8());
    QVERIFY(!strip()->isVisible());

    remoteFrames(kOtherStudentId);
    QCOMPARE(teacherView(), VideoRouter::TeacherView::Tile);
    QTRY_VERIFY(strip()->isVisible());
    QVERIFY(!window()->largeView()->isVisible());
    QVERIFY(tileOf(kTeacherId) && tileOf(kOtherStudentId));
    QCOMPARE(tileOf(kTeacherId)->render()->name(), QStringLiteral("王老师"));
    QTRY_VERIFY(tileOf(kOtherStudentId)->isVisible());
    QCOMPARE(tileOf(kOtherStudentId)->render()->streamUserId(), kOtherStudentId.toUtf8());

    // The last student stops publishing: the strip goes, the teacher is large again.
    emit window()->liveCalls()->memberStatus(ilive::MEMBER_NO_CAMERA, {kOtherStudentId});
    QVERIFY(!tileOf(kOtherStudentId));
    QVERIFY(!tileOf(kTeacherId));
    QCOMPARE(VideoTilePool::instance().count(), 0);
    QTRY_VERIFY(!strip()->isVisible());
    remoteFrames(kTeacherId);
    QCOMPARE(teacherView(), VideoRouter::TeacherView::Large);
    QTRY_VERIFY(window()->largeView()->isVisible());
  }

  // A classmate on stage before the roster names it: the tile takes the name when it comes.
  void tileTakesTheNameTheRosterLearnsLater() {
    stageStudent();
    QTRY_VERIFY(tileOf(kOtherStudentId) && tileOf(kOtherStudentId)->isVisible());
    QCOMPARE(tileOf(kOtherStudentId)->render()->name(), QString());
    window()->roster()->applyMembers(
        {QVariantMap{{"uid", kOtherStudentId}, {"name", QStringLiteral("陈子墨")}, {"role", "2"}}});
    QTRY_COMPARE(tileOf(kOtherStudentId)->render()->name(), QStringLiteral("陈子墨"));
  }

  // The place stays, the last picture does not: the tile is black until the camera's next frame.
  void teacherStopsPublishingKeepsThePlace() {
    stageStudent();
    remoteFrames(kTeacherId);
    QVERIFY(tileOf(kTeacherId) && !tileOf(kTeacherId)->render()->canvasSnapshot().isNull());
    emit window()->liveCalls()->memberStatus(ilive::MEMBER_NO_CAMERA, {kTeacherId});
    QVERIFY(tileOf(kTeacherId));
    QCOMPARE(teacherView(), VideoRouter::TeacherView::Tile);
    QVERIFY(tileOf(kTeacherId)->render()->canvasSnapshot().isNull());
    remoteFrames(kTeacherId);
    QVERIFY(!tileOf(kTeacherId)->render()->canvasSnapshot().isNull());
  }

  // The student's own camera (frames from the SDK's test-pattern camera) on stage, then taken
  // away by the teacher (2105) and by the camera-off setting.
  void ownTileGoesWithTheCamera() {
    world_->teacherSays(ClassCommandCode::CameraRequest, QString());
    QTRY_VERIFY(window()->cameraUp());
    QTRY_VERIFY(tileOf(kStudentId));
    QTRY_COMPARE(tileOf(kStudentId)->render()->streamUserId(), kStudentId.toUtf8());
    QTRY_COMPARE(tileOf(kStudentId)->render()->name(), kStudentName);

    world_->teacherSays(ClassCommandCode::CameraOff, QString());
    QTRY_VERIFY(!window()->cameraUp());
    QTRY_VERIFY(!tileOf(kStudentId));
    QTest::qWait(300); // frames still on their way must not bring it back
    QVERIFY(!tileOf(kStudentId));

    world_->teacherSays(ClassCommandCode::CameraRequest, QString());
    QTRY_VERIFY(tileOf(kStudentId));
    world_->shell.settings.insert("disable_camera", 1);
    window()->setDisableCamera(true);
    QVERIFY(!window()->cameraUp());
    QTRY_VERIFY(!tileOf(kStudentId));
    QTest::qWait(300);
    QVERIFY(!tileOf(kStudentId));
  }

  void hideUpKeepsStudentsOut() {
    stageStudent();
    QTRY_VERIFY(strip()->isVisible());
    world_->shell.settings.insert("hide_up", 1);
    window()->setHideUp(true);
    QVERIFY(!strip()->isVisible());
    remoteFrames(kOtherStudentId);
    QVERIFY(!tileOf(kOtherStudentId));
    remoteFrames(kTeacherId);
    QCOMPARE(teacherView(), VideoRouter::TeacherView::Large);
    QTRY_VERIFY(window()->largeView()->isVisible());
    QTest::qWait(100);
    QVERIFY(!strip()->isVisible());
  }

  // Column 6 of the teacher's row: "1" shows the microphone on, "0" off.
  void teacherMicrophoneFollowsTheRoster() {
    stageStudent();
    QWidgetVideoRender *teacherTile = tileOf(kTeacherId)->render();
    QTRY_VERIFY(teacherTile->isVisible());
    auto shownWith = [&](const QString &text) {
      window()->roster()->setMemberColumn(kTeacherId, MemberRoster::ColRole, text);
      remoteFrames(kTeacherId);
      return teacherTile->grab().toImage();
    };
    const QImage on = shownWith(QStringLiteral("1"));
    const QImage off = shownWith(QStringLiteral("0"));
    QVERIFY(on != off);
    QCOMPARE(shownWith(QString()), off);
    QCOMPARE(shownWith(QStringLiteral("1")), on);
  }

  void screenViewFollowsTheDisplay() {
    window()->changeDisplay(QStringLiteral("Screen"));
    QTRY_VERIFY(window()->screenView()->isVisible());
    remoteFrames(kTeacherId, ilive::VIDEO_SRC_SCREEN);
    QCOMPARE(window()->screenView()->streamUserId(), kTeacherId.toUtf8());
    window()->changeDisplay(QStringLiteral("WhiteBoard"));
    QVERIFY(!window()->screenView()->isVisible());
    window()->changeDisplay(QStringLiteral("Screen"));
    QVERIFY(window()->screenView()->isVisible());
  }

  void remoteFramesStopWhenClosingBegins() {
    remoteFrames(kTeacherId, ilive::VIDEO_SRC_SCREEN);
    window()->close(); // the backend's exit is still to answer: the window stays
    QVERIFY(window());
    QVERIFY(window()->isLeaving());
    remoteFrames(kOtherStudentId, ilive::VIDEO_SRC_SCREEN);
    remoteFrames(kOtherStudentId);
    QCOMPARE(window()->screenView()->streamUserId(), kTeacherId.toUtf8());
    QVERIFY(!tileOf(kOtherStudentId));
  }
};

QTEST_MAIN(TestSessionVideo)
#include "test_session_video.moc"

#include "av/videorouter.h"
#include "av/videotarget.h"
#include "av/videotiles.h"
#include "av/videoviews.h"

#include <QMap>
#include <QStringList>
#include <QTest>

#include <memory>

namespace {

struct FakeTarget : VideoTarget {
  int frames = 0;
  int mic = -1;
  int dropped = 0;
  void inputFrame(const ilive::LiveVideoFrame &) override { ++frames; }
  void setMicFlag(int on) override { mic = on; }
  void dropPicture() override { ++dropped; }
};

// Every widget change, in the order asked: "showLarge:<id>", "hideLarge", "showStrip",
// "attach:<id>@<position>:<name>", "detach:<id>".
struct Journal {
  QStringList calls;
};

struct FakeViews : VideoViews {
  explicit FakeViews(Journal &j) : journal(j) {}
  VideoTarget *screenView() override { return &screen; }
  VideoTarget *largeView() override { return &large; }
  void showLargeView(const QString &id) override { journal.calls << QStringLiteral("showLarge:") + id; }
  void hideLargeView() override { journal.calls << QStringLiteral("hideLarge"); }
  void showStrip() override { journal.calls << QStringLiteral("showStrip"); }
  Journal &journal;
  FakeTarget screen;
  FakeTarget large;
};

// Five tiles, like the pool.
struct FakeTiles : VideoTiles {
  explicit FakeTiles(Journal &j) : journal(j) {}
  VideoTarget *find(const QString &id) const override { return lent.value(id).get(); }
  VideoTarget *attach(const QString &id, const QString &name, int position) override {
    journal.calls << QStringLiteral("attach:%1@%2:%3").arg(id).arg(position).arg(name);
    if (!lent.contains(id)) {
      if (lent.size() == 5)
        return nullptr;
      lent.insert(id, std::make_shared<FakeTarget>());
    }
    return lent.value(id).get();
  }
  void detach(const QString &id) override {
    journal.calls << QStringLiteral("detach:") + id;
    lent.remove(id);
  }
  void relabel(const QString &id, const QString &name) override {
    if (lent.contains(id))
      journal.calls << QStringLiteral("relabel:%1:%2").arg(id, name);
  }
  int count() const override { return lent.size(); }
  Journal &journal;
  QMap<QString, std::shared_ptr<FakeTarget>> lent;
};

const QString kTeacher = QStringLiteral("teacher");

} // namespace

class TestVideoRouter : public QObject {
  Q_OBJECT
private slots:
  void init();
  void screenAndMediaGoToScreenView();
  void teacherAloneIsInLargeView();
  void firstStudentMovesTeacherToFirstTile();
  void lastStudentLeavingBringsTeacherBack();
  void sixthUserGetsNoTile();
  void hideUpKeepsStudentsOut();
  void hideUpOnAndOffBringsTheStripBack();
  void remoteFramesIgnoredWhileClosing();
  void ownFramesAfterTheCameraClosedBringNoTile();
  void teachersStoppedCameraBlanksItsViewInPlace();

private:
  ilive::LiveVideoFrame frame(const char *owner, ilive::VideoSrc source = ilive::VIDEO_SRC_CAMERA);
  void studentFrames(const QString &id, int n);

  std::unique_ptr<Journal> m_journal;
  std::unique_ptr<FakeViews> m_views;
  std::unique_ptr<FakeTiles> m_tiles;
  std::unique_ptr<VideoRouter> m_router;
  QList<QByteArray> m_ids;
};

void TestVideoRouter::init() {
  m_journal = std::make_unique<Journal>();
  m_views = std::make_unique<FakeViews>(*m_journal);
  m_tiles = std::make_unique<FakeTiles>(*m_journal);
  m_router = std::make_unique<VideoRouter>(*m_views, *m_tiles);
  m_router->setTeacherId(kTeacher);
  m_router->setMemberName(kTeacher, QStringLiteral("李老师"));
}

ilive::LiveVideoFrame TestVideoRouter::frame(const char *owner, ilive::VideoSrc source) {
  ilive::LiveVideoFrame f;
  f.identifier = owner;
  f.srcType = source;
  return f;
}

void TestVideoRouter::studentFrames(const QString &id, int n) {
  m_ids << id.toUtf8();
  for (int i = 0; i < n; ++i)
    m_router->remoteFrame(frame(m_ids.last().constData()));
}

void TestVideoRouter::screenAndMediaGoToScreenView() {
  m_router->remoteFrame(frame("teacher", ilive::VIDEO_SRC_SCREEN));
  m_router->remoteFrame(frame("teacher", ilive::VIDEO_SRC_MEDIA));
  m_router->remoteFrame(frame("teacher", ilive::VIDEO_SRC_NONE));
  QCOMPARE(m_views->screen.frames, 2);
  QCOMPARE(m_views->large.frames, 0);
  QVERIFY(m_journal->calls.isEmpty());
}

void TestVideoRouter::teacherAloneIsInLargeView() {
  m_router->setTeacherMicText(QStringLiteral("1"));
  m_router->remoteFrame(frame("teacher"));
  QCOMPARE(m_journal->calls, QStringList{QStringLiteral("showLarge:teacher")});
  QCOMPARE(m_router->teacherView(), VideoRouter::TeacherView::Large);
  m_router->remoteFrame(frame("teacher"));
  QCOMPARE(m_views->large.frames, 1);
  QCOMPARE(m_views->large.mic, 1);
  for (const QString &off : {QStringLiteral("0"), QString()}) {
    m_router->setTeacherMicText(off);
    m_router->remoteFrame(frame("teacher"));
    QCOMPARE(m_views->large.mic, 0);
  }
  QCOMPARE(m_journal->calls.size(), 1);
}

void TestVideoRouter::firstStudentMovesTeacherToFirstTile() {
  m_router->remoteFrame(frame("teacher"));
  m_router->setMemberName(QStringLiteral("s1"), QStringLiteral("小红"));
  m_journal->calls.clear();
  QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
  studentFrames(QStringLiteral("s1"), 1);
  QCOMPARE(m_journal->calls, QStringList({QStringLiteral("hideLarge"), QStringLiteral("attach:teacher@0:李老师"),
                                          QStringLiteral("showStrip"), QStringLiteral("attach:s1@-1:小红")}));
  QCOMPARE(m_router->teacherView(), VideoRouter::TeacherView::Tile);
  studentFrames(QStringLiteral("s1"), 2);
  m_router->remoteFrame(frame("teacher"));
  QCOMPARE(static_cast<FakeTarget *>(m_tiles->find(QStringLiteral("s1")))->frames, 2);
  QCOMPARE(static_cast<FakeTarget *>(m_tiles->find(kTeacher))->frames, 1);
  QCOMPARE(m_views->large.frames, 0);

  // A second student does not move the teacher again.
  m_journal->calls.clear();
  QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
  studentFrames(QStringLiteral("s2"), 1);
  QCOMPARE(m_journal->calls, QStringList({QStringLiteral("showStrip"), QStringLiteral("attach:s2@-1:")}));

  // Its name arrives with the next roster: the tile is relabelled once, not for every repeat.
  m_journal->calls.clear();
  m_router->setMemberName(QStringLiteral("s2"), QStringLiteral("小刚"));
  m_router->setMemberName(QStringLiteral("s2"), QStringLiteral("小刚"));
  m_router->setMemberName(QStringLiteral("s1"), QStringLiteral("小红"));
  QCOMPARE(m_journal->calls, QStringList{QStringLiteral("relabel:s2:小刚")});
}

void TestVideoRouter::lastStudentLeavingBringsTeacherBack() {
  m_router->remoteFrame(frame("teacher"));
  QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
  QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
  studentFrames(QStringLiteral("s1"), 1);
  studentFrames(QStringLiteral("s2"), 1);
  m_router->removeUser(QStringLiteral("s1"));
  QCOMPARE(m_router->teacherView(), VideoRouter::TeacherView::Tile);
  m_router->removeUser(QStringLiteral("s2"));
  QCOMPARE(m_tiles->count(), 0);
  m_journal->calls.clear();
  m_router->remoteFrame(frame("teacher"));
  QCOMPARE(m_journal->calls, QStringList{QStringLiteral("showLarge:teacher")});
  m_router->remoteFrame(frame("teacher"));
  QCOMPARE(m_views->large.frames, 1);
}

void TestVideoRouter::sixthUserGetsNoTile() {
  m_router->remoteFrame(frame("teacher")); // large view, then the teacher's tile is the first of five
  for (int i = 1; i <= 5; ++i) {
    QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
    studentFrames(QStringLiteral("s%1").arg(i), 1);
  }
  QCOMPARE(m_tiles->count(), 5);
  QCOMPARE(m_tiles->find(QStringLiteral("s5")), nullptr);
  QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
  studentFrames(QStringLiteral("s5"), 1); // still no tile: the frame is dropped
  QCOMPARE(m_tiles->count(), 5);
  // Once a tile comes back, the waiting student gets it with the next frame.
  m_router->removeUser(QStringLiteral("s2"));
  QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
  studentFrames(QStringLiteral("s5"), 2);
  QCOMPARE(static_cast<FakeTarget *>(m_tiles->find(QStringLiteral("s5")))->frames, 1);
}

void TestVideoRouter::hideUpKeepsStudentsOut() {
  m_router->remoteFrame(frame("teacher"));
  QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
  studentFrames(QStringLiteral("s1"), 2);
  QCOMPARE(m_router->teacherView(), VideoRouter::TeacherView::Tile);

  m_journal->calls.clear();
  m_router->setHideUp(true);
  studentFrames(QStringLiteral("s1"), 1); // had a tile: returned, frame not shown
  m_router->remoteFrame(frame("teacher"));
  QCOMPARE(m_tiles->count(), 0);
  QCOMPARE(m_journal->calls, QStringList({QStringLiteral("detach:teacher"), QStringLiteral("detach:s1"),
                                          QStringLiteral("showLarge:teacher")}));
  m_journal->calls.clear();
  for (int i = 0; i < 3; ++i) {
    QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
    studentFrames(QStringLiteral("s2"), 1);
  }
  m_router->remoteFrame(frame("teacher"));
  QVERIFY(m_journal->calls.isEmpty());
  QCOMPARE(m_views->large.frames, 1);
}

// hide_up on and off again before the students' next frames: their tiles are still lent,
// and the strip the window put away must come back with them and the teacher.
void TestVideoRouter::hideUpOnAndOffBringsTheStripBack() {
  m_router->remoteFrame(frame("teacher"));
  QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
  studentFrames(QStringLiteral("s1"), 2);
  m_router->setHideUp(true);
  m_journal->calls.clear();
  m_router->setHideUp(false);
  QCOMPARE(m_journal->calls, QStringList{QStringLiteral("showStrip")});
  m_router->remoteFrame(frame("teacher"));
  QCOMPARE(m_journal->calls, QStringList({QStringLiteral("showStrip"), QStringLiteral("hideLarge"),
                                          QStringLiteral("attach:teacher@0:李老师"), QStringLiteral("showStrip")}));
  QCOMPARE(m_router->teacherView(), VideoRouter::TeacherView::Tile);

  // On long enough for the teacher to reach the large view: off takes the teacher back to
  // the first tile of a strip that is shown.
  m_router->setHideUp(true);
  m_router->remoteFrame(frame("teacher"));
  QCOMPARE(m_router->teacherView(), VideoRouter::TeacherView::Large);
  m_journal->calls.clear();
  m_router->setHideUp(false);
  QCOMPARE(m_journal->calls, QStringList({QStringLiteral("hideLarge"), QStringLiteral("attach:teacher@0:李老师"),
                                          QStringLiteral("showStrip")}));
  QCOMPARE(m_router->teacherView(), VideoRouter::TeacherView::Tile);
  studentFrames(QStringLiteral("s1"), 1);
  QCOMPARE(static_cast<FakeTarget *>(m_tiles->find(QStringLiteral("s1")))->frames, 2);

  // Off with nobody in the strip changes nothing.
  m_router->removeUser(QStringLiteral("s1"));
  m_journal->calls.clear();
  m_router->setHideUp(true);
  m_router->setHideUp(false);
  QVERIFY(m_journal->calls.isEmpty());
}

void TestVideoRouter::remoteFramesIgnoredWhileClosing() {
  m_router->remoteFrame(frame("teacher"));
  m_router->beginClosing();
  m_router->remoteFrame(frame("teacher"));
  m_router->remoteFrame(frame("teacher", ilive::VIDEO_SRC_SCREEN));
  QCOMPARE(m_views->large.frames, 0);
  QCOMPARE(m_views->screen.frames, 0);
  m_router->localFrame(frame("teacher", ilive::VIDEO_SRC_SCREEN));
  m_router->localFrame(frame("teacher"));
  QCOMPARE(m_views->screen.frames, 1);
  QCOMPARE(m_views->large.frames, 1);
}

// Closing the camera is asynchronous: frames already on their way arrive after the tile went.
void TestVideoRouter::ownFramesAfterTheCameraClosedBringNoTile() {
  m_router->remoteFrame(frame("teacher"));
  QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
  m_router->localFrame(frame("me"));
  QVERIFY(m_tiles->find(QStringLiteral("me")));

  m_router->setOwnCameraOn(false);
  m_router->removeUser(QStringLiteral("me"));
  m_journal->calls.clear();
  m_router->localFrame(frame("me"));
  QVERIFY(!m_tiles->find(QStringLiteral("me")));
  QVERIFY(m_journal->calls.isEmpty());
  // The teacher's frames still pass: back to the large view, then shown there.
  m_router->remoteFrame(frame("teacher"));
  m_router->remoteFrame(frame("teacher"));
  QCOMPARE(m_views->large.frames, 1);

  m_router->setOwnCameraOn(true);
  QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
  m_router->localFrame(frame("me"));
  QVERIFY(m_tiles->find(QStringLiteral("me")));
}

// The teacher's view, large or in the strip, keeps its place but drops its picture; nobody
// else's view is touched, and before the teacher has a view nothing happens.
void TestVideoRouter::teachersStoppedCameraBlanksItsViewInPlace() {
  m_router->teacherCameraStopped();
  QCOMPARE(m_views->large.dropped, 0);
  m_router->remoteFrame(frame("teacher"));
  m_router->teacherCameraStopped();
  QCOMPARE(m_views->large.dropped, 1);
  QCOMPARE(m_router->teacherView(), VideoRouter::TeacherView::Large);

  QTest::ignoreMessage(QtDebugMsg, "MainForm::doRender p_render is null");
  studentFrames(QStringLiteral("s1"), 1);
  m_journal->calls.clear();
  m_router->teacherCameraStopped();
  QCOMPARE(static_cast<FakeTarget *>(m_tiles->find(kTeacher))->dropped, 1);
  QCOMPARE(static_cast<FakeTarget *>(m_tiles->find(QStringLiteral("s1")))->dropped, 0);
  QCOMPARE(m_views->large.dropped, 1);
  QVERIFY(m_journal->calls.isEmpty());
  QCOMPARE(m_router->teacherView(), VideoRouter::TeacherView::Tile);
}

QTEST_MAIN(TestVideoRouter)
#include "test_videorouter.moc"

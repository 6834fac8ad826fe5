// Faults on the teacher's side of a class. The teacher is the teacher programs' session (what
// the console and the scripted teacher both teach through) and reaches the local service's hub
// through a relay of its own that the test cuts; the student's real program and a bare classmate stay
// connected. A short cut costs the class nothing; a cut longer than the tries ends the
// teacher's class on the teacher's side while the students stay seated (only the teacher's
// own word ends a student's class), and the service stops counting the teacher.

#include "faultclass.h"
#include "shellstudent.h"
#include "studentview.h"

#include "boxdriver.h"

#include "classroom/classsession.h"
#include "classroom/mainform.h"
#include "classroom/memberroster.h"
#include "protocol/mediaframe.h"
#include "messaging/classcommand.h"
#include "teacher/teacherboard.h"
#include "teacher/teachersession.h"
#include "whiteboard/qwindowwhiteboard.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace faults;

namespace {

const QString kClassmatePhone = QStringLiteral("13800000003");
const QString kClassmatePassword = QStringLiteral("tarnwick03");
// The teacher's camera: a small grey picture ten times a second.
constexpr int kCameraWidth = 320;
constexpr int kCameraHeight = 240;
constexpr int kCameraEveryMs = 100;
constexpr int kSomeFrames = 5;

} // namespace

class TestFaultsTeacher : public QObject, ShellClass {
  Q_OBJECT
  std::unique_ptr<LoopbackProxy> teacherHub; // the teacher's own way to the hub
  std::unique_ptr<TeacherSession> teaching;
  QStringList teacherChat; // the chat page messages (2056) the teacher received, in order
  HubLink classmate;       // watches the room from a bare link
  int teacherEnters = 0;
  int teacherExits = 0;
  int teacherFrames = 0;
  int sendFailures = 0;
  QTimer camera;
  QTimer keepAlive; // the classmate's link stays up through the long case, as its program's would
  QString teacher; // the teacher's user id

  TeacherSession &session() { return *teaching; }
  QString teacherId() const { return teacher; }

  // The teacher signs in through the service and enters the room through its relay.
  bool seatTeacher() {
    const std::optional<TeacherCredentials> credentials = teacherSignIn(world.directUrl());
    if (!credentials) return false;
    teacher = credentials->userId;
    const QString hubUrl = QStringLiteral("ws://127.0.0.1:%1").arg(teacherHub->port());
    teaching = std::make_unique<TeacherSession>([hubUrl] { return sdk::createHubTransport(hubUrl); });
    QObject::connect(teaching.get(), &TeacherSession::commandReceived, teaching.get(), [this](const ReceivedCommand &c) {
      if (c.code == toWire(ClassCommandCode::Chat)) teacherChat << c.param;
    });
    int signedIn = -1;
    teaching->signIn(credentials->userId, credentials->userSig, [&signedIn](int code, const QString &) { signedIn = code; });
    if (!QTest::qWaitFor([&] { return signedIn >= 0; }, 10000) || signedIn != 0) return false;
    int entered = -1;
    teaching->enter(kRoom, credentials->authBuffer, [&entered](int code, const QString &, const QStringList &) { entered = code; });
    return QTest::qWaitFor([&] { return entered >= 0; }, 10000) && entered == 0;
  }
  // The teacher's chat line as the teacher programs send it (2056 with a chat page message).
  void teacherSays(const QString &text) {
    session().sendCommand(QString(), toWire(ClassCommandCode::Chat), chatPageMessage(QStringLiteral("周老师"), text),
                          [this](int code, const QString &) { sendFailures += code != 0; });
  }
  int teacherShows(const QString &text) const {
    return int(std::count_if(teacherChat.cbegin(), teacherChat.cend(),
                             [&](const QString &m) { return m.contains(text); }));
  }
  int teacherIndexOf(const QString &text) const {
    for (int i = 0; i < teacherChat.size(); ++i)
      if (teacherChat.at(i).contains(text)) return i;
    return -1;
  }
  int rosterRowsOfTeacher(MainForm *w) const {
    return int(w->session()->roster()->memberIds().count(teacherId()));
  }
  void sendCameraFrame() {
    session().sendVideo(hubproto::Source::Camera, QByteArray(hubproto::i420Size(kCameraWidth, kCameraHeight), char(0x80)),
                        kCameraWidth, kCameraHeight);
  }
  // The teacher shows the board; the student's board has started.
  void boardShown(MainForm *w, TeacherBoard *drawing) {
    session().sendCommand(QString(), toWire(ClassCommandCode::Display), QStringLiteral("WhiteBoard"),
                          [this](int code, const QString &) { sendFailures += code != 0; });
    QTRY_VERIFY_WITH_TIMEOUT(w->findChild<QWindowWhiteBoard *>() && w->isReadyToLeave(), 15000);
    bool ready = false;
    drawing->whenReady([&ready] { ready = true; });
    QTRY_VERIFY_WITH_TIMEOUT(ready, 10000);
    QVERIFY(!boardShowsRedAt(w, kStrokeX, kStrokeY));
  }
  // The teacher's camera runs and the classmate receives it.
  void cameraRuns() {
    int published = -1;
    session().publish(hubproto::Source::Camera, [&published](int code, const QString &) { published = code; });
    QTRY_COMPARE_WITH_TIMEOUT(published, 0, 10000);
    camera.start(kCameraEveryMs);
    QCOMPARE(classmate.subscribeCamera(teacherId()), 0);
    QTRY_VERIFY_WITH_TIMEOUT(teacherFrames >= kSomeFrames, 10000);
  }

private slots:
  void initTestCase() {
    const QString error = start(false);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    teacherHub = std::make_unique<LoopbackProxy>(world.service().hubPort());
    connect(&camera, &QTimer::timeout, this, [this] { sendCameraFrame(); });
    connect(&keepAlive, &QTimer::timeout, this, [this] {
      if (classmate.client) classmate.client->ping([](const sdk::HubReply &) {});
    });
    keepAlive.start(kKeepAliveMs);
  }

  void init() {
    QVERIFY(seatTeacher());
    QVERIFY(classmate.enterAsStudent(world.service(), kClassmatePhone, kClassmatePassword, world.directHubUrl()));
    teacherEnters = teacherExits = teacherFrames = 0;
    connect(classmate.client.get(), &sdk::HubClient::memberNotice, this,
            [this](quint32, const QString &event, const QString &userId, const QString &) {
              teacherExits += event == QLatin1String("exit") && userId == teacherId();
              teacherEnters += event == QLatin1String("enter") && userId == teacherId();
            });
    connect(classmate.client.get(), &sdk::HubClient::mediaFrame, this, [this](const hubproto::MediaFrame &f) {
      teacherFrames += f.kind == hubproto::MediaFrame::Video && f.userId == teacherId().toUtf8();
    });
    QVERIFY(student->enter());
  }

  void cleanup() {
    camera.stop();
    teacherHub->setFrozen(false);
    BoxDriver::closeInformation();
    QVERIFY(student->leave());
    QVERIFY(student->backAtPortal());
    classmate.close();
    bool left = false;
    session().leave([&left](int, const QString &) { left = true; });
    QTRY_VERIFY_WITH_TIMEOUT(left, 10000);
    teaching.reset();
    teacherChat.clear();
  }

  void cleanupTestCase() { stop(); }

  // A three-second cut of the teacher's link mid-class, the board shown and the teacher's
  // camera running: the student's class goes on, the student's chat from during the cut
  // reaches the teacher once and in order, the teacher's chat queued during the cut reaches the
  // student once and in order, the stroke drawn during the cut shows on the student's board,
  // the camera comes back, and nobody saw the teacher leave or come again.
  void shortTeacherCutKeepsTheClass() {
    MainForm *w = student->classroom();
    TeacherBoard drawing(teacherId(), kRoom, world.directUrl() + QStringLiteral("/preview"));
    int boardFailures = 0;
    connect(&drawing, &TeacherBoard::envelope, &drawing, [&](const QByteArray &e) {
      session().sendWhiteboard(e, [&boardFailures](int code, const QString &) { boardFailures += code != 0; });
    });
    boardShown(w, &drawing);
    if (QTest::currentTestFailed()) return;
    cameraRuns();
    if (QTest::currentTestFailed()) return;
    teacherSays(QStringLiteral("断线前"));
    QTRY_VERIFY_WITH_TIMEOUT(chatRows(w).contains(QStringLiteral("断线前")), 15000);
    QSignalSpy reconnecting(&session(), &TeacherSession::reconnecting);

    teacherHub->cutAll();
    teacherHub->setFrozen(true);
    QTRY_VERIFY_WITH_TIMEOUT(session().isReconnecting(), 5000);
    teacherSays(QStringLiteral("老师断线中一"));
    teacherSays(QStringLiteral("老师断线中二"));
    drawing.useTool(QStringLiteral("pen"), kRed, kPenWidth, false);
    drawing.draw(strokeAcrossTheBoard());
    QVERIFY(studentSays(w, QStringLiteral("学生断线中一")));
    QVERIFY(studentSays(w, QStringLiteral("学生断线中二")));
    QTest::qWait(kShortCutMs);
    QVERIFY(!chatRows(w).contains(QStringLiteral("老师断线中一"))); // nothing passed the cut link
    QCOMPARE(teacherShows(QStringLiteral("学生断线中一")), 0);
    QVERIFY(!boardShowsRedAt(w, kStrokeX, kStrokeY));
    QCOMPARE(rosterRowsOfTeacher(w), 1);
    const int framesBefore = teacherFrames;
    teacherHub->setFrozen(false);

    QTRY_VERIFY_WITH_TIMEOUT(!session().isReconnecting(), 10000);
    QCOMPARE(reconnecting.count(), 2);
    QVERIFY(showsOnceInOrder(w, QStringLiteral("老师断线中一"), QStringLiteral("老师断线中二")));
    QTRY_COMPARE_WITH_TIMEOUT(teacherShows(QStringLiteral("学生断线中二")), 1, 10000);
    QCOMPARE(teacherShows(QStringLiteral("学生断线中一")), 1);
    QVERIFY(teacherIndexOf(QStringLiteral("学生断线中一")) < teacherIndexOf(QStringLiteral("学生断线中二")));
    QTRY_VERIFY_WITH_TIMEOUT(boardShowsRedAt(w, kStrokeX, kStrokeY), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(teacherFrames >= framesBefore + kSomeFrames, 10000);

    // The class goes on both ways, and nothing came twice meanwhile.
    teacherSays(QStringLiteral("断线后"));
    QTRY_VERIFY_WITH_TIMEOUT(chatRows(w).contains(QStringLiteral("断线后")), 15000);
    QVERIFY(studentSays(w, QStringLiteral("学生断线后")));
    QTRY_COMPARE_WITH_TIMEOUT(teacherShows(QStringLiteral("学生断线后")), 1, 10000);
    QCOMPARE(chatRows(w).count(QStringLiteral("老师断线中一")), 1);
    QCOMPARE(teacherShows(QStringLiteral("学生断线中一")), 1);
    QCOMPARE(boardFailures, 0);
    QCOMPARE(sendFailures, 0);
    QCOMPARE(teacherExits, 0);
    QCOMPARE(teacherEnters, 0);
    QCOMPARE(rosterRowsOfTeacher(w), 1);
    QCOMPARE(w->status(), 2);
    QVERIFY(!w->isClosed());
    QVERIFY(BoxDriver::openInformation().isEmpty());
  }

  // A cut longer than the tries: the teacher's side gives up (its connection-lost path) once the
  // tries ran out, the service counts the teacher no more soon after, the room sees the teacher
  // leave once; the student stays seated without a box, and the teacher can enter again and
  // teach on.
  void longTeacherCutEndsTheTeachersClass() {
    MainForm *w = student->classroom();
    const int before = onlineInRoom(world.service());
    QVERIFY(before >= 2);
    QSignalSpy lost(&session(), &TeacherSession::lost);
    QElapsedTimer sinceCut;
    sinceCut.start();
    teacherHub->cutAll();
    teacherHub->setFrozen(true);
    QTRY_VERIFY_WITH_TIMEOUT(session().isReconnecting(), 5000);
    QVERIFY(QTest::qWaitFor([&] { return lost.count() > 0; }, kLongCutMs));
    QVERIFY2(sinceCut.elapsed() > 25000, "the teacher's side gave up before the tries ran out");
    QCOMPARE(lost.count(), 1);
    QVERIFY(!session().isSignedIn());
    QVERIFY(!session().isReconnecting());
    QTRY_COMPARE_WITH_TIMEOUT(onlineInRoom(world.service()), before - 1, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(teacherExits, 1, 5000);
    QTest::qWait(int(qMax<qint64>(0, kLongCutMs - sinceCut.elapsed())));
    teacherHub->setFrozen(false);
    QCOMPARE(w->status(), 2);
    QVERIFY(!w->isClosed());
    QVERIFY(BoxDriver::openInformation().isEmpty());

    teaching.reset();
    QVERIFY(seatTeacher());
    QCOMPARE(teacherEnters, 1);
    teacherSays(QStringLiteral("回来了"));
    QTRY_VERIFY_WITH_TIMEOUT(chatRows(w).contains(QStringLiteral("回来了")), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(onlineInRoom(world.service()), before, 10000);
  }
};

int main(int argc, char **argv) { return shellTestMain<TestFaultsTeacher>(argc, argv); }

#include "test_faults_teacher.moc"

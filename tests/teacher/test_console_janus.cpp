// A class with media on Janus, inside the test's own network namespace: the teacher console
// and the student's classroom window (both in this process) send and receive their pictures
// and voices through Janus, with a classmate (a bare Janus member) watching. With media on
// Janus nobody sends a frame to the hub, and the console and the classmate hear only Janus, so
// every picture and voice counted here came through Janus.
// - The student called on stage with the camera publishes through Janus: the console's tile
//   shows the student's test pattern, and the console and the classmate get the student's
//   voice. Taken off stage, the student's publishers leave the room.
// - The console's camera, shared screen and voice reach the student and the classmate.
// - The student's UDP is cut for a while, then Janus restarts under the class with the student
//   on stage: each time the student's view does not keep the old picture meanwhile, the student
//   stays in class, and the pictures show again by themselves, both ways.
#include "../classroom/classfixture.h"
#include "../classroom/classpictures.h"
#include "../sdk/mediapath.h"
#include "consoledriver.h"

#include "av/qwidgetvideorender.h"
#include "core/deployment.h"
#include "sdk/live/ilive.h"
#include "sdk/media/streamdecoders.h"
#include "sdk/net/webrtc/janusmediatransport.h"
#include "support/janusclient.h"
#include "support/janusengine.h"
#include "support/localservice.h"
#include "support/seedaccounts.h"
#include "teacher/console/classpage.h"
#include "teacher/console/consoleclass.h"
#include "teacher/console/consolemain.h"
#include "teacher/console/consolewindow.h"
#include "teacher/console/rosterpanel.h"
#include "teacher/console/studenttiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace classtest;
using classpictures::showsCameraOf;
using consoledriver::click;
using hubproto::MediaFrame;
using seed::kMaster;
using seed::kRoomId;

namespace {

const QString kClassmate = QStringLiteral("s10002");
// ICE, DTLS and the first keyframe take about a second; a machine busy building takes longer.
constexpr int kWaitMs = 30000;
// Enough of a stream to call it flowing: about a second of voice, a few pictures.
constexpr int kVoicePackets = 50;
constexpr int kPictures = 5;
// How long Janus stays away: longer than the transports' pause before they try again.
constexpr int kCutMs = 3000;

// What one member received of each other member, by kind.
class Tally : public QObject {
public:
  explicit Tally(QObject *parent = nullptr)
      : QObject(parent), m_decoders([](const QString &, hubproto::Source) {}) {}

  void count(const MediaFrame &frame) {
    const QString owner = QString::fromUtf8(frame.userId);
    if (frame.kind == MediaFrame::Audio)
      ++m_voice[owner];
    hubproto::MediaFrame picture;
    if (frame.kind == MediaFrame::Video && m_decoders.receive(frame, mediapath::nowMs(), &picture))
      ++m_pictures[owner];
  }
  int voice(const QString &owner) const { return m_voice.value(owner); }
  int pictures(const QString &owner) const { return m_pictures.value(owner); }

private:
  media::StreamDecoders m_decoders;
  QHash<QString, int> m_voice;
  QHash<QString, int> m_pictures;
};

} // namespace

class TestConsoleJanus : public QObject {
  Q_OBJECT

  JanusEngine m_janus;
  std::unique_ptr<LocalService> m_service;
  std::unique_ptr<ConsoleWindow> m_console;
  ClassPage *m_page = nullptr;
  FakeShell m_shell;
  MainForm *m_student = nullptr;
  QTimer m_ticks;
  sdk::JanusEndpoint m_classmateSeat;
  std::unique_ptr<sdk::JanusMediaTransport> m_classmate;
  Tally m_classmateGot;
  Tally m_teacherGot;

  QString studentId() const { return m_student->getUserId(); }

  // The student's window shows the teacher's camera: in the large view, or in the strip
  // while the student's own camera has a tile there.
  QWidgetVideoRender *teacherViewOfStudent() const {
    QWidgetVideoRender *tile = classpictures::tileOf(kMaster);
    return tile ? tile : m_student->largeView();
  }
  bool studentSeesTeacher() const { return showsCameraOf(teacherViewOfStudent(), kMaster); }

  // The room's publishers as Janus lists them, by display name (the member's user id).
  QStringList publishers() {
    JanusClient c;
    if (!c.open(m_classmateSeat.url.toString()) || c.createSession(m_classmateSeat.token).contains("error") ||
        c.attach().contains("error"))
      return {QStringLiteral("(Janus not asked)")};
    const QJsonObject d = JanusClient::pluginData(
        c.message({{QStringLiteral("request"), QStringLiteral("listparticipants")}, {QStringLiteral("room"), kRoomId}}));
    QStringList names;
    for (const QJsonValue &v : d.value(QStringLiteral("participants")).toArray())
      if (v.toObject().value(QStringLiteral("publisher")).toBool())
        names.append(v.toObject().value(QStringLiteral("display")).toString());
    return names;
  }

private slots:
  void initTestCase() {
    m_service = startClassOnJanus(m_janus);
    QVERIFY(m_service);

    m_console = std::make_unique<ConsoleWindow>(ConsoleSetup::fromDeployment());
    m_page = consoledriver::enterDemoClass(*m_console, kWaitMs);
    QVERIFY(m_page);
    connect(&m_console->consoleClass()->session(), &TeacherSession::mediaFrame, this,
            [this](const MediaFrame &f) { m_teacherGot.count(f); });

    const QString token = m_service->signIn(seed::kStudentPhone, seed::kStudentPassword);
    QVERIFY(!token.isEmpty());
    m_student = openLocalClass(m_shell, token, kRoomId, kMaster);
    useTestDevices(m_shell);
    connect(&m_ticks, &QTimer::timeout, m_student, [this] { // the teacher check, without its 10 s
      if (m_student->teacherCheckTimer()->isActive())
        m_student->OnCheckTeacherTimer();
    });
    m_ticks.start(300);
    QTRY_VERIFY_WITH_TIMEOUT(m_student->status() >= 2, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_page->roster()->rowOf(studentId()) >= 0, kWaitMs);

    m_classmateSeat = mediapath::janusSeat(*m_service, seed::kClassmatePhone, seed::kClassmatePassword,
                                           QStringLiteral("0"), kRoomId);
    QVERIFY(m_classmateSeat.isUsable());
    m_classmate = std::make_unique<sdk::JanusMediaTransport>(m_classmateSeat, kClassmate);
    connect(m_classmate.get(), &sdk::MediaTransport::frameReceived, this,
            [this](const MediaFrame &f) { m_classmateGot.count(f); });
    QTRY_VERIFY_WITH_TIMEOUT(m_classmate->isInRoom(), kWaitMs);
  }

  void cleanupTestCase() {
    m_classmate.reset();
    delete m_student;
    m_console.reset();
    GetILive()->release(nullptr, nullptr, nullptr);
    if (m_service)
      QVERIFY(!m_service || m_service->stop()); // none when the engine did not start
  }

  void studentOnStageIsSeenAndHeardThroughJanus() {
    const QString student = studentId();
    m_page->roster()->choose(student);
    QVERIFY(click(m_page, "btnCallWithCamera"));
    QTRY_VERIFY_WITH_TIMEOUT(m_student->cameraUp() && m_student->status() == 3, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_page->tiles()->tile(student) != nullptr, kWaitMs);
    QTRY_VERIFY2_WITH_TIMEOUT(showsCameraOf(m_page->tiles()->tile(student), student),
                              m_janus.log().right(2000).constData(), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_teacherGot.voice(student) >= kVoicePackets, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_classmateGot.pictures(student) >= kPictures, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_classmateGot.voice(student) >= kVoicePackets, kWaitMs);
    QVERIFY(publishers().contains(student));

    // Off stage (the camera stays open, as the student's own tile): the student's client
    // withdraws its camera and voice from the room (the service's guard would kick them a
    // moment later anyway).
    QVERIFY(click(m_page, "btnEveryoneOffStage"));
    QTRY_COMPARE_WITH_TIMEOUT(m_student->status(), 2, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!publishers().contains(student), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_classmate->receiving(), 0, kWaitMs);
  }

  // The console's camera, shared screen and microphone, each its own publisher in Janus.
  void consolesCameraScreenAndVoiceReachTheClass() {
    QVERIFY(click(m_page, "btnCamera"));
    QTRY_VERIFY2_WITH_TIMEOUT(studentSeesTeacher(), m_janus.log().right(2000).constData(), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_classmateGot.pictures(kMaster) >= kPictures, kWaitMs);
    QVERIFY(click(m_page, "btnShareScreen"));
    QTRY_VERIFY_WITH_TIMEOUT(m_student->screenView()->streamUserId() == kMaster.toUtf8() &&
                                 !m_student->screenView()->canvasSnapshot().isNull(),
                             kWaitMs);
    QVERIFY(click(m_page, "btnMicrophone"));
    QTRY_VERIFY_WITH_TIMEOUT(m_classmateGot.voice(kMaster) >= kVoicePackets, kWaitMs);
  }

  // The student's UDP is lost for a while, the link to Janus stands: the teacher's last picture
  // goes once no frame came for a while, and the picture comes back with the packets.
  void pictureComesBackAfterAnUdpCut() {
    QElapsedTimer took;
    took.start();
    QVERIFY(JanusEngine::setUdpLoss(100));
    const bool blanked = QTest::qWaitFor([this] { return teacherViewOfStudent()->canvasSnapshot().isNull(); },
                                         sdk::JanusMediaTransport::kStallMs * 3);
    const qint64 blankAfter = took.restart();
    QVERIFY(JanusEngine::setUdpLoss(0));
    QVERIFY(blanked);
    QTRY_VERIFY_WITH_TIMEOUT(studentSeesTeacher(), kWaitMs);
    qInfo("UDP cut: the view went black after %lld ms; the picture was back %lld ms after the cut ended",
          blankAfter, took.elapsed());
  }

  // With the student on stage again: after the restart the student publishes again and
  // receives again, as the console does.
  void classComesBackAfterJanusRestarts() {
    const QString student = studentId();
    m_page->roster()->choose(student);
    QVERIFY(click(m_page, "btnCallOnStage")); // its camera is still open
    QTRY_VERIFY_WITH_TIMEOUT(m_student->status() == 3, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(studentSeesTeacher(), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(publishers().contains(student), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_page->tiles()->tile(student) != nullptr, kWaitMs);
    const int classmateSaw = m_classmateGot.pictures(kMaster);
    const int teacherSaw = m_teacherGot.pictures(student);
    QElapsedTimer cut;
    cut.start();
    QVERIFY(m_janus.stop());
    // Meanwhile the student's view does not hold the teacher's last picture as if live, nor the
    // console's tile the student's.
    QTRY_VERIFY_WITH_TIMEOUT(teacherViewOfStudent()->canvasSnapshot().isNull(), kCutMs);
    const qint64 blankAfter = cut.elapsed();
    QTRY_VERIFY_WITH_TIMEOUT(m_page->tiles()->tile(student) && m_page->tiles()->tile(student)->canvasSnapshot().isNull(),
                             kCutMs);
    QTest::qWait(int(qMax<qint64>(0, kCutMs - cut.elapsed()))); // the first tries to come back find nobody
    QVERIFY2(m_janus.start(), qPrintable(m_janus.errorString()));
    cut.restart();
    QTRY_VERIFY2_WITH_TIMEOUT(studentSeesTeacher(),
                              (m_service->output().right(2000) + m_janus.log().right(2000)).constData(), kWaitMs);
    qInfo("Janus restart: the view went black within %lld ms; the picture was back %lld ms after Janus was up",
          blankAfter, cut.elapsed());
    QTRY_VERIFY_WITH_TIMEOUT(m_classmateGot.pictures(kMaster) >= classmateSaw + kPictures, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_teacherGot.pictures(student) >= teacherSaw + kPictures, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(showsCameraOf(m_page->tiles()->tile(student), student), kWaitMs);
    // The student never left the class or the stage for it.
    QCOMPARE(m_student->status(), 3);
    QVERIFY(!m_student->isClosed());
  }
};

int main(int argc, char *argv[]) {
  consolemain::prepare();
  QApplication app(argc, argv);
  TestConsoleJanus test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_console_janus.moc"

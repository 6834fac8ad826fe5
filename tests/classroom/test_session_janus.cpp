// A whole class with media on Janus, inside the test's own network namespace: tarnwick-local
// makes the class's VideoRoom and hands out the seats, the scripted teacher (tarnwick-teacher
// with TARNWICK_MEDIA=janus) publishes its test-pattern camera and its lesson slide through
// Janus, then brings a classmate on stage whose camera goes through Janus as well; the
// student's classroom, its live SDK on Janus too, shows each picture in its view. With media
// on Janus nobody sends a frame to the hub, so every picture shown came through Janus.
#include "classfixture.h"
#include "classpictures.h"

#include "av/qwidgetvideorender.h"
#include "sdk/live/ilive.h"
#include "support/janusengine.h"
#include "support/localservice.h"
#include "support/seedaccounts.h"
#include "support/testenv.h"
#include "teacher/screenslide.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace classtest;
using namespace classpictures;
using seed::kMaster;
using seed::kRoomId;

namespace {

constexpr int kClassMs = 30000;
const QString kClassmate = QStringLiteral("s10002");
// ICE, DTLS and the first keyframe take about a second; a machine busy building takes longer.
constexpr int kPictureMs = 30000;

const char *const kLesson = R"({
  "name": "janus class", "room": 300101, "timeout": 120,
  "slide": {"title": "一次函数", "lines": ["y = kx + b"]},
  "steps": [
    {"do": "enter"},
    {"do": "publish", "source": "camera"},
    {"do": "publish", "source": "screen"},
    {"do": "waitMember", "user": "*", "as": "student", "timeout": 60},
    {"do": "wait", "seconds": 2},
    {"do": "display", "mode": "Screen"},
    {"do": "classmate", "phone": "13800000002", "password": "tarnwick02"},
    {"do": "wait", "seconds": 90}
  ]
})";

} // namespace

class TestSessionJanus : public QObject {
  Q_OBJECT

  JanusEngine m_janus;
  std::unique_ptr<LocalService> m_service;
  QTemporaryDir m_dir;
  std::unique_ptr<QProcess> m_teacher;

  void startTeacher(const char *scenario) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("TARNWICK_MEDIA"), QStringLiteral("janus"));
    env.insert(QStringLiteral("TARNWICK_JANUS_URL"), m_janus.wsUrl());
    m_teacher = startScriptedTeacher(m_dir.path(), scenario, m_service->baseUrl(), env);
    QVERIFY(m_teacher);
  }

private slots:
  void initTestCase() {
    m_service = startClassOnJanus(m_janus);
    QVERIFY(m_service);
  }

  void cleanupTestCase() {
    if (m_teacher && m_teacher->state() != QProcess::NotRunning) {
      m_teacher->terminate();
      m_teacher->waitForFinished(10000);
    }
    GetILive()->release(nullptr, nullptr, nullptr);
    QVERIFY(!m_service || m_service->stop());
  }

  void teachersCameraAndSlideReachTheirViews() {
    startTeacher(kLesson);
    FakeShell shell;
    BoxWatch boxes;
    const QString token = m_service->signIn(seed::kStudentPhone, seed::kStudentPassword);
    QVERIFY(!token.isEmpty());
    MainForm *w = openLocalClass(shell, token, kRoomId, kMaster);
    QTimer ticks; // the teacher check's ticks, without waiting ten seconds for each
    QObject::connect(&ticks, &QTimer::timeout, w, [w] {
      if (w->teacherCheckTimer()->isActive())
        w->OnCheckTeacherTimer();
    });
    ticks.start(300);
    QTRY_VERIFY_WITH_TIMEOUT(w->status() >= 2, kClassMs);

    QTRY_VERIFY2_WITH_TIMEOUT(showsCameraOf(w->largeView(), kMaster),
                              (m_teacher->readAll() + m_janus.log().right(2000)).constData(), kPictureMs);
    ScenarioSlide lesson{QStringLiteral("一次函数"), {QStringLiteral("y = kx + b")}};
    const QByteArray slide = ScreenSlide(lesson).frame(0);
    QTRY_VERIFY_WITH_TIMEOUT(w->screenView()->streamUserId() == kMaster.toUtf8() &&
                                 showsSlide(w->screenView()->canvasSnapshot(), slide),
                             kPictureMs);
    QVERIFY(w->screenView()->isVisible());

    // A classmate on stage, publishing through Janus too: its own tile, the test pattern in it.
    QTRY_VERIFY_WITH_TIMEOUT(showsCameraOf(tileOf(kClassmate), kClassmate), kPictureMs);
    QTRY_VERIFY(tileOf(kClassmate)->isVisible()); // the strip shows it once laid out
    delete w;
  }
};

QTEST_MAIN(TestSessionJanus)
#include "test_session_janus.moc"

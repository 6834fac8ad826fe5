#include "scriptedclass.h"

#include "support/boardpixels.h"
#include "support/localservice.h"
#include "support/seedaccounts.h"
#include "support/testenv.h"
#include "whiteboard/qwindowwhiteboard.h"

#include <QFile>
#include <QTest>
#include <QTimer>

namespace classtest {

namespace {
constexpr int kClassMs = 20000;
constexpr int kTicksMs = 300;

// The teacher draws before anyone is in; the stroke crosses the middle of the board.
const char *const kLateJoinerLesson = R"({
  "name": "late joiner", "room": 300101, "timeout": 120,
  "steps": [
    {"do": "enter"},
    {"do": "display", "mode": "WhiteBoard"},
    {"do": "boardTool", "tool": "pen", "color": "#ff0100", "width": 150},
    {"do": "boardDraw", "points": [[200, 450], [800, 450], [1400, 450]]},
    {"do": "waitMember", "user": "*", "as": "student", "timeout": 60},
    {"do": "waitCommand", "code": 2112, "from": "${student}", "timeout": 20},
    {"do": "display", "mode": "WhiteBoard"},
    {"do": "wait", "seconds": 60},
    {"do": "leave"}
  ]
})";
constexpr int kStrokeX = 800;
constexpr int kStrokeY = 450;
} // namespace

ScriptedClass::ScriptedClass(LocalService &service, QProcessEnvironment teacherEnv)
    : m_service(service), m_env(std::move(teacherEnv)) {}

ScriptedClass::~ScriptedClass() { stopTeacher(); }

bool ScriptedClass::startTeacher(const char *scenario) {
  QFile file(m_dir.filePath(QStringLiteral("class.json")));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  file.write(scenario);
  file.close();
  m_output.clear();
  m_teacher = std::make_unique<QProcess>();
  m_teacher->setProcessChannelMode(QProcess::MergedChannels);
  m_teacher->setProcessEnvironment(m_env);
  m_teacher->start(testenv::binDir() + "/tarnwick-teacher",
                   {"--scenario", file.fileName(), "--service", m_service.baseUrl(), "--phone", seed::kTeacherPhone,
                    "--password", seed::kTeacherPassword});
  return m_teacher->waitForStarted(5000);
}

void ScriptedClass::stopTeacher() {
  if (m_teacher && m_teacher->state() != QProcess::NotRunning) {
    m_teacher->terminate();
    m_teacher->waitForFinished(10000);
  }
}

bool ScriptedClass::teacherPrinted(const QString &text, int timeoutMs) {
  return QTest::qWaitFor(
      [&] {
        m_output += m_teacher->readAll();
        return QString::fromUtf8(m_output).contains(text);
      },
      timeoutMs);
}

MainForm *ScriptedClass::seatStudent(FakeShell &shell, QTimer *ticks, int timeoutMs) {
  const QString token = m_service.signIn(seed::kStudentPhone, seed::kStudentPassword);
  if (token.isEmpty()) return nullptr;
  MainForm *w = openLocalClass(shell, token, seed::kRoomId, seed::kMaster);
  // The teacher check's ticks, without waiting ten seconds for each.
  QObject::connect(ticks, &QTimer::timeout, w, [w] {
    if (w->teacherCheckTimer()->isActive()) w->OnCheckTeacherTimer();
  });
  ticks->start(kTicksMs);
  if (!QTest::qWaitFor([w] { return w->status() >= 2; }, timeoutMs)) {
    delete w;
    return nullptr;
  }
  return w;
}

void lateJoinerSeesTheBoard(ScriptedClass &scripted) {
  FakeShell shell;
  BoxWatch boxes;
  QTimer ticks;
  QVERIFY(scripted.startTeacher(kLateJoinerLesson));
  // The stroke is drawn once the teacher waits for a student.
  QVERIFY(scripted.teacherPrinted(QStringLiteral("to join"), kClassMs));
  QTest::qWait(1000); // its last envelopes reach the server
  MainForm *w = scripted.seatStudent(shell, &ticks, kClassMs);
  QVERIFY(w);
  const bool boardStarted =
      QTest::qWaitFor([w] { return w->findChild<QWindowWhiteBoard *>() && w->isReadyToLeave(); }, kClassMs);
  const bool strokeShows = boardStarted && QTest::qWaitFor([w] {
    return boardpixels::showsRedAt(w->findChild<QWindowWhiteBoard *>(), kStrokeX, kStrokeY);
  }, kClassMs);
  const QStringList shown = BoxWatch::information();
  const bool stillSeated = !w->isClosed();
  // Out of the class before judging, so that a failure leaves nothing behind for the next case.
  w->session()->exitClass();
  const bool closed = QTest::qWaitFor([w] { return w->isClosed(); }, kClassMs);
  delete w;
  scripted.stopTeacher();
  QVERIFY(boardStarted);
  QVERIFY(strokeShows);
  QVERIFY(stillSeated);
  QCOMPARE(shown, QStringList());
  QVERIFY(closed);
}

} // namespace classtest

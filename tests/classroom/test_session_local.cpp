// A whole class against the real local service: tarnwick-local answers the backend calls and
// serves the hub over WebSocket, the scripted teacher (tarnwick-teacher) plays the teacher.
// The student waits for the teacher, is seated, called on stage and off again, rewarded, and
// leaves when the teacher ends the class.
#include "classfixture.h"
#include "scriptedclass.h"

#include "classroom/classchat.h"
#include "classroom/memberroster.h"
#include "classroom_widgets/qtredpacket.h"
#include "core/deployment.h"
#include "sdk/live/ilive.h"
#include "support/localservice.h"
#include "support/testenv.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace classtest;

namespace {

const QString kPhone = QStringLiteral("13800000001");
const QString kPassword = QStringLiteral("tarnwick01");
const QString kTeacherPhone = QStringLiteral("13900000001");
const QString kTeacherPassword = QStringLiteral("teacher01");
const int kRoomId = 300101;
const QString kMaster = QStringLiteral("t20001");

const char *const kScenario = R"({
  "name": "classroom test",
  "room": 300101,
  "timeout": 60,
  "steps": [
    {"do": "enter"},
    {"do": "waitMember", "user": "*", "as": "student", "timeout": 30},
    {"do": "waitCommand", "code": 2112, "from": "${student}", "timeout": 20},
    {"do": "command", "code": 2049, "to": "${student}"},
    {"do": "waitCommand", "code": 2051, "from": "${student}", "timeout": 20},
    {"do": "wait", "seconds": 2},
    {"do": "command", "code": 2050, "to": "group", "param": "${student}"},
    {"do": "waitCommand", "code": 2053, "from": "${student}", "timeout": 20},
    {"do": "reward", "to": "${student}", "amount": 50, "type": "101",
     "message": "恭喜[receiver_name]获得红包"},
    {"do": "wait", "seconds": 1},
    {"do": "leave"}
  ]
})";

} // namespace

class TestSessionLocal : public QObject {
  Q_OBJECT
  LocalService service;

private slots:
  void initTestCase() {
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    Deployment d = Deployment::instance();
    d.backendUrl = service.baseUrl();
    d.hubUrl = service.hubUrl();
    Deployment::setInstance(d);
    GetILive()->setHubAddress(d.hubUrl.toUtf8().constData());
    QVERIFY(GetILive()->init(uint32_t(d.sdkAppId), uint32_t(d.sdkAccountType), true) == 0);
  }

  void cleanupTestCase() {
    GetILive()->release(nullptr, nullptr, nullptr);
    QVERIFY(service.stop());
  }

  // The board a student who comes in late sees, as with IM on ejabberd.
  void lateJoinerSeesTheBoard() {
    ScriptedClass scripted(service);
    classtest::lateJoinerSeesTheBoard(scripted);
  }

  void wholeClassWithTheScriptedTeacher() {
    const QString token = service.signIn(kPhone, kPassword);
    QVERIFY(!token.isEmpty());

    FakeShell shell;
    BoxWatch boxes;
    MainForm *w = openLocalClass(shell, token, kRoomId, kMaster);
    QSignalSpy released(w, &MainForm::releaseFinished);
    QTRY_VERIFY(w->teacherCheckTimer()->isActive());
    QVERIFY(w->isReadyToLeave());

    QTemporaryDir dir;
    QFile file(dir.filePath("class.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kScenario);
    file.close();
    QProcess teacher;
    teacher.setProcessChannelMode(QProcess::MergedChannels);
    teacher.start(testenv::binDir() + "/tarnwick-teacher",
                  {"--scenario", file.fileName(), "--service", service.baseUrl(), "--phone",
                   kTeacherPhone, "--password", kTeacherPassword});
    QVERIFY(teacher.waitForStarted(5000));

    // The check timer's ticks, without waiting ten seconds for each.
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, w, [w] {
      if (w->teacherCheckTimer()->isActive())
        w->OnCheckTeacherTimer();
    });
    ticks.start(300);
    QTRY_VERIFY_WITH_TIMEOUT(w->status() >= 2, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(w->status() == 3, 15000);
    // The service learns the stage from the heartbeat; the roster refresh brings it back. The
    // two requests race each other, so the roster is asked again until it shows the stage.
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, w, [w] { w->onRefreshUserTimer(); });
    refresh.start(300);
    w->onRefreshUserTimer();
    QTRY_COMPARE_WITH_TIMEOUT(w->roster()->memberText(w->getUserId(), MemberRoster::ColStatus),
                              QStringLiteral("连麦"), 5000);
    refresh.stop();
    QTRY_COMPARE_WITH_TIMEOUT(w->status(), 2, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(w->findChild<QtRedPacket *>() != nullptr, 15000);
    QVERIFY(w->chat()->shownLines().contains(QStringLiteral("系统消息:恭喜你获得红包")));
    QTRY_VERIFY_WITH_TIMEOUT(w->isClosed(), 15000);
    QCOMPARE(released.count(), 1);
    QVERIFY(teacher.state() == QProcess::NotRunning || teacher.waitForFinished(15000));
    QVERIFY2(teacher.exitCode() == 0, teacher.readAll().constData());
    // The teacher left: the only box is the notice of it; the exit went through.
    QCOMPARE(BoxWatch::information(), QStringList{QStringLiteral("老师退出房间|老师已经退出房间.")});
    QVERIFY(shell.calls.contains(QStringLiteral("setMyName(林小雨)")));
    delete w;
  }
};

QTEST_MAIN(TestSessionLocal)
#include "test_session_local.moc"

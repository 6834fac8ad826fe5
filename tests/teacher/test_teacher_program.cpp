// tarnwick-teacher as a person runs it: bad input ends with a message and status 1, never a
// crash; a class over tarnwick-local's hub socket reaches a student; a wait that times out
// and a stop by signal end the run properly.
#include "hubstudent.h"

#include "sdk/net/websockettransport.h"
#include "support/localservice.h"
#include "support/testenv.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using hubproto::Source;

namespace {

struct Result {
  int exitCode = -1;
  QProcess::ExitStatus status = QProcess::CrashExit;
  QString out;
  QString err;
};

QString program() { return testenv::binDir() + QStringLiteral("/tarnwick-teacher"); }

void startTeacher(QProcess &p, const QStringList &args) {
  p.setProgram(program());
  p.setArguments(args);
  p.start();
}

Result finish(QProcess &p, int ms = 20000) {
  Result r;
  if (!p.waitForFinished(ms)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.exitCode = p.exitCode();
  r.status = p.exitStatus();
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

Result runTeacher(const QStringList &args) {
  QProcess p;
  startTeacher(p, args);
  return finish(p);
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content) {
  const QString path = dir.filePath(name);
  QFile f(path);
  if (f.open(QIODevice::WriteOnly))
    f.write(content);
  return path;
}

} // namespace

class TestTeacherProgram : public QObject {
  Q_OBJECT

  QTemporaryDir m_dir;

  // Sign-in options for a teacher over the service's hub socket.
  static QStringList localTeacher(const LocalService &service) {
    return {QStringLiteral("--hub"), service.hubUrl(), QStringLiteral("--secret"), QString::fromUtf8(service.secret()),
            QStringLiteral("--user"), QStringLiteral("t20001"), QStringLiteral("--name"), QStringLiteral("周老师"),
            QStringLiteral("--room"), QStringLiteral("300101")};
  }
  static bool startService(LocalService &service) {
    return service.start() && service.hubPort() != 0;
  }

private slots:
  void badInputEndsWithAMessage_data();
  void badInputEndsWithAMessage();
  void checkListsTheDemo();
  void helpNamesBothWaysToTeach();
  void classOverTheHubSocket();
  void timeoutAndStopEndTheRun();
  void signsInThroughTheService();
};

void TestTeacherProgram::badInputEndsWithAMessage_data() {
  QTest::addColumn<QByteArray>("scenario"); // empty: no file written
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<QString>("message");
  const QStringList local{"--secret", "k", "--user", "t1", "--room", "5"};
  QTest::newRow("broken JSON") << QByteArray("{\"steps\": [\n  {\"do\": \"enter\"\n") << local
                               << "bad.json: not valid JSON at line 3";
  QTest::newRow("unknown step") << QByteArray(R"({"steps": [{"do": "teach"}]})") << local << "unknown step \"teach\"";
  QTest::newRow("binary junk") << QByteArray("\x00\xff\xfe{", 4) << local << "not valid JSON";
  QTest::newRow("missing file") << QByteArray() << local << "cannot read the scenario";
  QTest::newRow("no sign-in") << QByteArray(R"({"steps": [{"do": "enter"}]})") << QStringList{"--room", "5"}
                              << "say how the teacher signs in";
  QTest::newRow("no room") << QByteArray(R"({"steps": [{"do": "enter"}]})") << QStringList{"--secret", "k", "--user", "t1"}
                           << "no room: give --room";
}

void TestTeacherProgram::badInputEndsWithAMessage() {
  QFETCH(QByteArray, scenario);
  QFETCH(QStringList, args);
  QFETCH(QString, message);
  const QString path = scenario.isEmpty() ? m_dir.filePath(QStringLiteral("absent.json"))
                                          : writeFile(m_dir, QStringLiteral("bad.json"), scenario);
  qunsetenv("TARNWICK_LOCAL_SECRET");
  const Result r = runTeacher(QStringList{"--scenario", path} + args);
  QCOMPARE(r.status, QProcess::NormalExit);
  QCOMPARE(r.exitCode, 1);
  QVERIFY2(r.err.contains(QStringLiteral("tarnwick-teacher: ")) && r.err.contains(message), qPrintable(r.err));
}

void TestTeacherProgram::checkListsTheDemo() {
  const Result r = runTeacher({"--scenario", testenv::sourceDir() + "/teacher/scenarios/demo-class.json", "--check"});
  QCOMPARE(r.exitCode, 0);
  QVERIFY2(r.out.contains(QStringLiteral("for room 300101")) && r.out.contains(QStringLiteral("all well formed")),
           qPrintable(r.out));
  QVERIFY(r.out.contains(QStringLiteral("command 2049 (call on stage) to ${student}")));
}

// The scripted teacher's help leads to the console too, whose own help lists its options.
void TestTeacherProgram::helpNamesBothWaysToTeach() {
  const Result scripted = runTeacher({"--help"});
  QCOMPARE(scripted.exitCode, 0);
  QVERIFY2(scripted.out.contains(QStringLiteral("--scenario FILE")), qPrintable(scripted.out));
  QVERIFY2(scripted.out.contains(QStringLiteral("tarnwick-teacher --console")), qPrintable(scripted.out));
  const Result console = runTeacher({"--console", "--help"});
  QCOMPARE(console.exitCode, 0);
  QVERIFY2(console.out.contains(QStringLiteral("--phone")) && !console.out.contains(QStringLiteral("--scenario")),
           qPrintable(console.out));
}

void TestTeacherProgram::classOverTheHubSocket() {
  LocalService service;
  if (!startService(service))
    QSKIP("tarnwick-local with its hub is not built here");
  HubStudent student(std::make_unique<sdk::WebSocketTransport>(QUrl(service.hubUrl())), QStringLiteral("s10001"));
  QCOMPARE(student.login(service.secret()), 0);
  QCOMPARE(student.join(300101), 0); // before the teacher: the teacher finds the student already here
  const QString path = writeFile(m_dir, QStringLiteral("class.json"), R"({"name": "socket", "steps": [
      {"do": "enter"},
      {"do": "publish", "source": "camera", "fps": 10},
      {"do": "waitMember", "user": "s10001", "timeout": 10},
      {"do": "command", "code": 2049, "to": "s10001"},
      {"do": "wait", "seconds": 0.6},
      {"do": "leave"}]})");
  const Result r = runTeacher(QStringList{"--scenario", path} + localTeacher(service));
  QCOMPARE(r.exitCode, 0);
  QVERIFY2(r.err.isEmpty() || !r.err.contains(QStringLiteral("tarnwick-teacher:")), qPrintable(r.err));
  QVERIFY(QTest::qWaitFor([&] { return student.find(ClassCommandCode::TeacherLeaves) != nullptr; }, 5000));
  QCOMPARE(student.codes(), (QList<ClassCommandCode>{ClassCommandCode::CallOnStage, ClassCommandCode::TeacherLeaves}));
  QVERIFY(student.find(ClassCommandCode::CallOnStage)->direct);
  QCOMPARE(student.find(ClassCommandCode::CallOnStage)->from, QStringLiteral("t20001"));
  QVERIFY(student.frames(Source::Camera) > 0);
  // One line for each step, in order, for the person watching.
  for (int i = 1; i <= 6; ++i)
    QVERIFY2(r.out.contains(QStringLiteral("[%1/6] ").arg(i)), qPrintable(r.out));
  QVERIFY(r.out.contains(QStringLiteral("s10001 is here")));
  QVERIFY(r.out.contains(QStringLiteral("all 6 steps done")));
}

void TestTeacherProgram::timeoutAndStopEndTheRun() {
  LocalService service;
  if (!startService(service))
    QSKIP("tarnwick-local with its hub is not built here");
  const QString waits = writeFile(m_dir, QStringLiteral("waits.json"), R"({"steps": [
      {"do": "enter"},
      {"do": "waitMember", "user": "s10009", "timeout": 0.3},
      {"do": "leave"}]})");
  const Result timedOut = runTeacher(QStringList{"--scenario", waits} + localTeacher(service));
  QCOMPARE(timedOut.exitCode, 3);
  QVERIFY2(timedOut.err.contains(QStringLiteral("step 2 (\"waitMember\"): timed out after 0.3 s waiting for s10009 to join")),
           qPrintable(timedOut.err));

  const QString long_ = writeFile(m_dir, QStringLiteral("long.json"), R"({"steps": [
      {"do": "enter"}, {"do": "wait", "seconds": 60}, {"do": "leave"}]})");
  QProcess p;
  startTeacher(p, QStringList{"--scenario", long_} + localTeacher(service));
  QByteArray seen;
  QVERIFY(QTest::qWaitFor([&] {
    seen += p.readAllStandardOutput();
    return seen.contains("[2/3] wait 60 s");
  }, 10000));
  p.terminate();
  const Result stopped = finish(p, 10000);
  QCOMPARE(stopped.status, QProcess::NormalExit);
  QCOMPARE(stopped.exitCode, 5);
  QVERIFY(stopped.out.contains(QStringLiteral("stopped; leaving the room")));
}

void TestTeacherProgram::signsInThroughTheService() {
  LocalService service;
  if (!startService(service))
    QSKIP("tarnwick-local with its hub is not built here");
  const QString path = writeFile(m_dir, QStringLiteral("short.json"), R"json({"steps": [
      {"do": "enter"}, {"do": "print", "text": "in as ${myName} (${me})"}, {"do": "leave", "announce": false}]})json");
  // No --hub: the service's sign-in answer says where its hub is.
  const Result r = runTeacher({"--scenario", path, "--service", service.baseUrl(),
                               "--phone", "13900000001", "--password", "teacher01", "--room", "300101"});
  QVERIFY2(r.exitCode == 0, qPrintable(r.err));
  QVERIFY2(r.out.contains(QStringLiteral("in as 周老师 (t20001)")), qPrintable(r.out));
  // The wrong password is the service's refusal, named as such.
  const Result refused = runTeacher({"--scenario", path, "--service", service.baseUrl(), "--hub", service.hubUrl(),
                                     "--phone", "13900000001", "--password", "wrong", "--room", "300101"});
  QCOMPARE(refused.exitCode, 2);
  QVERIFY2(refused.err.contains(QStringLiteral("login/sign-in: refused with errorCode")), qPrintable(refused.err));
}

QTEST_GUILESS_MAIN(TestTeacherProgram)
#include "test_teacher_program.moc"

// Reading scenario files: every kind of mistake is refused before anything runs, with a
// message that says where and what; the repository's scenarios read; defaults apply.
#include "teacher/scenarioreader.h"

#include "support/testenv.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestScenarioReader : public QObject {
  Q_OBJECT

private slots:
  void refusesMistakes_data();
  void refusesMistakes();
  void fileErrorsNameTheFile();
  void repositoryScenariosRead();
  void defaultsAndTargets();
};

namespace {
// Wraps steps in a scenario that is in the room from step 1 on.
QByteArray inRoom(const char *steps) { return QByteArray(R"({"steps": [{"do": "enter"}, )") + steps + "]}"; }
} // namespace

void TestScenarioReader::refusesMistakes_data() {
  QTest::addColumn<QByteArray>("json");
  QTest::addColumn<QString>("message");
  QTest::newRow("syntax") << QByteArray("{\n  \"steps\": [\n    {\"do\": \"enter\"},,\n") << "not valid JSON at line 3, column 22";
  QTest::newRow("not an object") << QByteArray("[]") << "a scenario is a JSON object";
  QTest::newRow("no steps") << QByteArray("{}") << "scenario: \"steps\" is missing";
  QTest::newRow("empty steps") << QByteArray(R"({"steps": []})") << "\"steps\" is empty";
  QTest::newRow("misspelt top") << QByteArray(R"({"tiemout": 3, "steps": [{"do": "enter"}]})")
                                << "scenario: unknown member \"tiemout\"";
  QTest::newRow("bad room") << QByteArray(R"({"room": 0, "steps": [{"do": "enter"}]})") << "\"room\" must be a room number";
  QTest::newRow("bad slide") << QByteArray(R"({"slide": {"lines": [1]}, "steps": [{"do": "enter"}]})")
                             << "scenario \"slide\": every entry of \"lines\" must be a text";
  QTest::newRow("step not object") << QByteArray(R"({"steps": [3]})") << "step 1: a step is an object";
  QTest::newRow("no do") << QByteArray(R"({"steps": [{"seconds": 1}]})") << "step 1: \"do\" is missing";
  QTest::newRow("unknown kind") << QByteArray(R"({"steps": [{"do": "dance"}]})") << "step 1: unknown step \"dance\" (known: enter, leave,";
  QTest::newRow("misspelt member") << QByteArray(R"({"steps": [{"do": "enter", "optinal": true}]})")
                                   << "step 1 (\"enter\"): unknown member \"optinal\" (this part takes: do, optional)";
  QTest::newRow("code as text") << inRoom(R"({"do": "command", "code": "2049"})")
                                << "step 2 (\"command\"): \"code\" must be a whole number from 1 to 2147483647";
  QTest::newRow("fractional code") << inRoom(R"({"do": "command", "code": 2049.5})") << "\"code\" must be a whole number";
  QTest::newRow("missing code") << inRoom(R"({"do": "waitCommand"})") << "step 2 (\"waitCommand\"): \"code\" is missing";
  QTest::newRow("array param") << inRoom(R"({"do": "command", "code": 2, "param": [1]})") << "\"param\" must be a text, a number or an object";
  QTest::newRow("negative timeout") << inRoom(R"({"do": "waitMember", "timeout": -1})") << "\"timeout\" must be a number of seconds from 0";
  QTest::newRow("wait without seconds") << QByteArray(R"({"steps": [{"do": "wait"}]})") << "\"seconds\" is missing";
  QTest::newRow("unset variable") << inRoom(R"({"do": "command", "code": 2049, "to": "${hand}"})")
                                  << "step 2 (\"command\"): ${hand} is not set by an earlier step";
  QTest::newRow("variable set later") << inRoom(R"({"do": "chat", "text": "hi ${s.name}"}, {"do": "waitMember", "as": "s"})")
                                      << "step 2 (\"chat\"): ${s} is not set";
  QTest::newRow("open reference") << inRoom(R"({"do": "print", "text": "${me"})") << "\"${\" without a closing \"}\"";
  QTest::newRow("bad reference") << inRoom(R"({"do": "print", "text": "${me.phone}"})") << "\"${me.phone}\" is not a variable";
  QTest::newRow("built-in capture") << inRoom(R"({"do": "waitMember", "as": "me"})") << "\"as\": \"me\" is built in";
  QTest::newRow("outside the room") << QByteArray(R"({"steps": [{"do": "publish", "source": "camera"}]})")
                                    << "step 1 (\"publish\"): the teacher is not in the room here";
  QTest::newRow("after leaving") << inRoom(R"({"do": "leave"}, {"do": "waitMember"})") << "step 3 (\"waitMember\"): the teacher is not in the room";
  QTest::newRow("entering twice") << inRoom(R"({"do": "enter"})") << "step 2 (\"enter\"): the teacher is already in the room";
  QTest::newRow("unknown source") << inRoom(R"({"do": "publish", "source": "media"})") << "\"source\" must be \"camera\" or \"screen\"";
  QTest::newRow("too many fps") << inRoom(R"({"do": "publish", "source": "camera", "fps": 60})") << "\"fps\" must be a whole number from 1 to 30";
  QTest::newRow("display mode") << inRoom(R"({"do": "display", "mode": "Board"})") << "\"mode\" must be \"Screen\" or \"WhiteBoard\"";
  QTest::newRow("chat both") << inRoom(R"({"do": "chat", "text": "a", "contents": ["b"]})") << "give either \"text\" or \"contents\"";
  QTest::newRow("chat text and picture") << inRoom(R"({"do": "chat", "text": "a", "picture": "http://x/p.png"})") << "or a \"picture\" address";
  QTest::newRow("chat empty picture") << inRoom(R"({"do": "chat", "picture": ""})") << "\"picture\" is empty";
  QTest::newRow("chat empty") << inRoom(R"({"do": "chat", "text": ""})") << "\"text\" is empty";
  QTest::newRow("chat face") << inRoom(R"({"do": "chat", "contents": ["a", 1000]})") << "a face number from 0 to 999";
  QTest::newRow("leave anyone") << inRoom(R"({"do": "waitLeave", "user": "*"})") << "\"user\" must name one member";
  QTest::newRow("reward group") << inRoom(R"({"do": "reward", "to": "group", "amount": 5})") << "\"to\" must name the student";
  QTest::newRow("reward amount") << inRoom(R"({"do": "reward", "to": "s1"})") << "\"amount\" is missing";
  QTest::newRow("roster entry") << inRoom(R"({"do": "roster", "data": [{"name": "x"}]})") << "an object with a \"uid\" text";
}

void TestScenarioReader::refusesMistakes() {
  QFETCH(QByteArray, json);
  QFETCH(QString, message);
  Scenario scenario;
  QString error;
  QVERIFY(!ScenarioReader::read(json, &scenario, &error));
  QVERIFY2(error.contains(message), qPrintable(error));
}

void TestScenarioReader::fileErrorsNameTheFile() {
  Scenario scenario;
  QString error;
  QVERIFY(!ScenarioReader::readFile(QStringLiteral("/nonexistent/class.json"), &scenario, &error));
  QVERIFY2(error.startsWith(QStringLiteral("/nonexistent/class.json: cannot read the scenario")), qPrintable(error));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bad.json"));
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(R"({"steps": [{"do": "wait", "seconds": "2"}]})");
  file.close();
  QVERIFY(!ScenarioReader::readFile(path, &scenario, &error));
  QCOMPARE(error, path + QStringLiteral(": step 1 (\"wait\"): \"seconds\" must be a number of seconds from 0 to 86400"));
}

void TestScenarioReader::repositoryScenariosRead() {
  const QDir dir(testenv::sourceDir() + QStringLiteral("/teacher/scenarios"));
  const QStringList files = dir.entryList({QStringLiteral("*.json")}, QDir::Files);
  QVERIFY(files.contains(QStringLiteral("demo-class.json")));
  for (const QString &f : files) {
    Scenario scenario;
    QString error;
    QVERIFY2(ScenarioReader::readFile(dir.filePath(f), &scenario, &error), qPrintable(error));
    QCOMPARE(scenario.steps.last().kind, StepKind::Leave);
  }
}

void TestScenarioReader::defaultsAndTargets() {
  Scenario scenario;
  QString error;
  QVERIFY2(ScenarioReader::read(R"({"name": "课", "timeout": 7.5, "steps": [
      {"do": "enter"},
      {"do": "waitMember"},
      {"do": "waitCommand", "code": 2054, "timeout": 0, "as": "hand"},
      {"do": "command", "code": 2050, "to": "group", "param": 5},
      {"do": "command", "code": 2049, "to": "${hand}", "optional": true},
      {"do": "reward", "to": "${hand}", "amount": 3},
      {"do": "leave"}]})",
                                &scenario, &error),
           qPrintable(error));
  QCOMPARE(scenario.slide.title, QStringLiteral("课")); // the slide is titled after the scenario
  QCOMPARE(scenario.roomId, 0u);
  QVERIFY(scenario.chatSnapshot);
  const QList<ScenarioStep> &s = scenario.steps;
  QCOMPARE(s.at(1).user, QStringLiteral("*"));
  QCOMPARE(s.at(1).timeoutMs, 7500);
  QCOMPARE(s.at(2).timeoutMs, 0);
  QCOMPARE(s.at(2).user, QStringLiteral("*"));
  QCOMPARE(s.at(2).capture, QStringLiteral("hand"));
  QVERIFY(!s.at(2).hasParam);
  QVERIFY(s.at(3).target.isEmpty()); // "group" is the class, not a user called group
  QCOMPARE(s.at(3).param, QJsonValue(5));
  QCOMPARE(s.at(4).target, QStringLiteral("${hand}"));
  QVERIFY(s.at(4).optional && !s.at(3).optional);
  QCOMPARE(s.at(5).rewardType, QStringLiteral("101"));
  QVERIFY(s.at(5).message.contains(QStringLiteral("[receiver_name]")));
  QVERIFY(s.at(6).announce);
}

QTEST_GUILESS_MAIN(TestScenarioReader)
#include "test_scenarioreader.moc"

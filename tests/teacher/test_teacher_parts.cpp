// The teacher's parts that decide things on their own: picture conversion, what the class
// state matches and remembers, variable expansion, the messages of steps, a step's wait and
// the command line.
#include "protocol/classcommandcode.h"
#include "protocol/mediaframe.h"
#include "teacher/classstate.h"
#include "teacher/i420image.h"
#include "teacher/scenariovariables.h"
#include "teacher/screenslide.h"
#include "teacher/scenario.h"
#include "teacher/stagegrants.h"
#include "teacher/stepmessages.h"
#include "teacher/stepwait.h"
#include "teacher/teacheroptions.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TestTeacherParts : public QObject {
  Q_OBJECT

private slots:
  void i420OfSolidColours_data();
  void i420OfSolidColours();
  void i420AveragesChromaAndRoundsOddSizes();
  void slideMovesBetweenFrames();
  void commandsAreTakenOldestFirstOnce();
  void anyoneClaimsEachMemberOnce();
  void snapshotFollowsTheTeachersSettings();
  void variablesExpandEverywhere();
  void stageCommandsNameWhomTheyGrant();
  void chatStepsAndHowParametersRead();
  void waitEndsOnceByArrivalOrTimeout();
  void commandLine_data();
  void commandLine();
};

void TestTeacherParts::i420OfSolidColours_data() {
  QTest::addColumn<QColor>("colour");
  QTest::addColumn<int>("y");
  QTest::addColumn<int>("u");
  QTest::addColumn<int>("v");
  // BT.601 studio range.
  QTest::newRow("white") << QColor(Qt::white) << 235 << 128 << 128;
  QTest::newRow("black") << QColor(Qt::black) << 16 << 128 << 128;
  QTest::newRow("red") << QColor(Qt::red) << 82 << 90 << 240;
  QTest::newRow("blue") << QColor(Qt::blue) << 41 << 240 << 110;
}

void TestTeacherParts::i420OfSolidColours() {
  QFETCH(QColor, colour);
  QFETCH(int, y);
  QFETCH(int, u);
  QFETCH(int, v);
  QImage image(4, 2, QImage::Format_RGB32);
  image.fill(colour);
  const QByteArray i420 = i420image::fromImage(image);
  QCOMPARE(i420.size(), 4 * 2 + 2 * 2 * 1);
  QCOMPARE(uchar(i420.at(0)), uchar(y));
  QCOMPARE(uchar(i420.at(7)), uchar(y));
  QCOMPARE(uchar(i420.at(8)), uchar(u));
  QCOMPARE(uchar(i420.at(10)), uchar(v));
}

void TestTeacherParts::i420AveragesChromaAndRoundsOddSizes() {
  // The chroma of a solid 2 × 2 picture of colour c.
  auto chroma = [](const QColor &c) {
    QImage solid(2, 2, QImage::Format_RGB32);
    solid.fill(c);
    const QByteArray b = i420image::fromImage(solid);
    return qMakePair(uchar(b.at(4)), uchar(b.at(5)));
  };
  // 3 × 3: chroma planes of 2 × 2; the last column's and last row's blocks hold only the
  // pixels that exist, so their average is over two pixels (one in the corner), not four.
  QImage image(3, 3, QImage::Format_ARGB32);
  image.fill(Qt::white);
  image.setPixelColor(2, 0, Qt::blue);
  image.setPixelColor(0, 2, Qt::red);
  const QByteArray i420 = i420image::fromImage(image);
  QCOMPARE(i420.size(), hubproto::i420Size(3, 3));
  const uchar *u = reinterpret_cast<const uchar *>(i420.constData()) + 9;
  const uchar *v = u + 4;
  QCOMPARE(u[0], chroma(Qt::white).first);
  QCOMPARE(u[1], chroma(QColor(127, 127, 255)).first); // blue over white
  QCOMPARE(v[2], chroma(QColor(255, 127, 127)).second); // red beside white
  QCOMPARE(qMakePair(u[3], v[3]), chroma(Qt::white));
  QVERIFY(i420image::fromImage(QImage()).isEmpty());
}

void TestTeacherParts::slideMovesBetweenFrames() {
  ScreenSlide slide({QStringLiteral("第5讲"), {QStringLiteral("一次函数")}}, QSize(320, 180));
  const QByteArray a = slide.frame(0);
  QCOMPARE(a.size(), hubproto::i420Size(320, 180));
  QVERIFY(a != slide.frame(10));
  QCOMPARE(slide.picture(4).size(), QSize(320, 180));
}

void TestTeacherParts::commandsAreTakenOldestFirstOnce() {
  ClassState state;
  state.commandReceived({QStringLiteral("s1"), 2054, QStringLiteral("s1"), true});
  state.commandReceived({QStringLiteral("s2"), 2054, QStringLiteral("s2"), true});
  state.commandReceived({QStringLiteral("s2"), 2051, QStringLiteral("x"), false});
  const QString x = QStringLiteral("x");
  const QString other = QStringLiteral("y");
  QVERIFY(!state.takeCommand(2051, QStringLiteral("s2"), &other));
  QCOMPARE(state.takeCommand(2051, QStringLiteral("*"), &x)->from, QStringLiteral("s2"));
  QCOMPARE(state.takeCommand(2054, QStringLiteral("s2"), nullptr)->param, QStringLiteral("s2"));
  QCOMPARE(state.takeCommand(2054, QStringLiteral("*"), nullptr)->from, QStringLiteral("s1"));
  QVERIFY(!state.takeCommand(2054, QStringLiteral("*"), nullptr));
  for (int i = 0; i < ClassState::kMaxPending + 5; ++i)
    state.commandReceived({QStringLiteral("s3"), 2056, QString::number(i), false});
  QCOMPARE(state.pendingCount(), ClassState::kMaxPending);
  QCOMPARE(state.takeCommand(2056, QStringLiteral("*"), nullptr)->param, QStringLiteral("5"));
}

void TestTeacherParts::anyoneClaimsEachMemberOnce() {
  ClassState state;
  state.memberEntered(QStringLiteral("s1"));
  state.memberEntered(QStringLiteral("s2"));
  state.claim(QStringLiteral("s1")); // waited for by name
  QCOMPARE(state.claimNextMember(), QStringLiteral("s2"));
  QVERIFY(state.claimNextMember().isEmpty());
  state.memberLeft(QStringLiteral("s2"));
  state.memberEntered(QStringLiteral("s2")); // back again: still claimed
  state.memberEntered(QStringLiteral("s3"));
  QCOMPARE(state.claimNextMember(), QStringLiteral("s3"));
  QCOMPARE(state.present(), (QStringList{QStringLiteral("s1"), QStringLiteral("s2"), QStringLiteral("s3")}));
}

void TestTeacherParts::snapshotFollowsTheTeachersSettings() {
  ClassState state;
  state.memberEntered(QStringLiteral("s1"));
  state.memberEntered(QStringLiteral("s2"));
  const QJsonObject open{{"forbid_all", "0"}, {"forbid_you", "0"}};
  QCOMPARE(state.snapshotFor(QStringLiteral("s1")), open);
  state.commandSent(QString(), 2111, QStringLiteral("1")); // to the group: everyone present
  state.commandSent(QStringLiteral("s2"), 2111, QStringLiteral("0"));
  state.commandSent(QString(), 2110, QStringLiteral("1"));
  state.commandSent(QStringLiteral("s1"), 2110, QStringLiteral("0")); // 2110 is for the group only
  state.commandSent(QString(), 2110, QStringLiteral("yes"));          // neither on nor off
  QCOMPARE(state.snapshotFor(QStringLiteral("s1")), (QJsonObject{{"forbid_all", "1"}, {"forbid_you", "1"}}));
  QCOMPARE(state.snapshotFor(QStringLiteral("s2")), (QJsonObject{{"forbid_all", "1"}, {"forbid_you", "0"}}));
  QCOMPARE(state.nextNotifyId(0), 1);
  QCOMPARE(state.nextNotifyId(10), 10);
  state.reset(); // a new room keeps counting
  QCOMPARE(state.nextNotifyId(0), 11);
  QCOMPARE(state.snapshotFor(QStringLiteral("s1")), open);
}

void TestTeacherParts::variablesExpandEverywhere() {
  ScenarioVariables vars;
  vars.set(QStringLiteral("s"), QStringLiteral("s1"));
  vars.set(QStringLiteral("s.name"), QStringLiteral("林小雨"));
  QCOMPARE(vars.expand(QStringLiteral("${s}:${s.name}:${gone}:${")), QStringLiteral("s1:林小雨::${"));
  const QJsonValue expanded = vars.expand(QJsonValue(QJsonObject{{"${s}", QJsonArray{"a ${s.name}", 3}}}));
  QCOMPARE(expanded, QJsonValue(QJsonObject{{"s1", QJsonArray{QStringLiteral("a 林小雨"), 3}}}));
  QCOMPARE(vars.names(), QStringList{QStringLiteral("s")});
  QStringList names;
  QString problem;
  QVERIFY(ScenarioVariables::references(QJsonValue(QJsonObject{{"k", "${a} ${b.name}"}}), &names, &problem));
  QCOMPARE(names, (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
  QVERIFY(!ScenarioVariables::references(QStringLiteral("${9a}"), &names, &problem));
}

void TestTeacherParts::chatStepsAndHowParametersRead() {
  ScenarioVariables vars;
  vars.set(QStringLiteral("who"), QStringLiteral("小红"));
  ScenarioStep step;
  step.contents = QJsonArray{QStringLiteral("你好 ${who}"), 7, QStringLiteral("!")};
  const QJsonObject message = stepmessages::chat(step, vars, QStringLiteral("李老师"));
  QCOMPARE(message.value(QStringLiteral("name")).toString(), QStringLiteral("李老师"));
  QCOMPARE(message.value(QStringLiteral("type")).toString(), QStringLiteral("message"));
  const QString param = stepmessages::chatParam(message);
  QVERIFY(param.contains(QLatin1Char('\n'))); // indented, as the students' clients write it
  QCOMPARE(QJsonDocument::fromJson(param.toUtf8()).object(), message);
  // On a console line: the text runs and faces, quoted, on one line.
  QCOMPARE(stepmessages::shown(toWire(ClassCommandCode::Chat), param), QStringLiteral(" \"你好 小红[face 007]!\""));

  step.name = QStringLiteral("${who}");
  step.picture = QStringLiteral("http://127.0.0.1/p.png");
  const QJsonObject picture = stepmessages::chat(step, vars, QStringLiteral("李老师"));
  QCOMPARE(picture.value(QStringLiteral("name")).toString(), QStringLiteral("小红"));
  QCOMPARE(picture.value(QStringLiteral("type")).toString(), QStringLiteral("image"));
  QVERIFY(!picture.contains(QStringLiteral("contents")));

  // Other parameters as they stand, cut to 160 characters; none at all reads as nothing.
  const int display = toWire(ClassCommandCode::Display);
  QCOMPARE(stepmessages::shown(display, QStringLiteral("a\nb")), QStringLiteral(" \"a b\""));
  QCOMPARE(stepmessages::shown(display, QString(200, QLatin1Char('x'))),
           QStringLiteral(" \"%1…\"").arg(QString(160, QLatin1Char('x'))));
  QCOMPARE(stepmessages::shown(display, QString()), QString());
  QCOMPARE(stepmessages::paramText(QJsonValue(3)), QStringLiteral("3"));
  QCOMPARE(stepmessages::paramText(QJsonObject{{QStringLiteral("a"), 1}}), QStringLiteral("{\"a\":1}"));
}

void TestTeacherParts::waitEndsOnceByArrivalOrTimeout() {
  StepWait wait;
  QSignalSpy met(&wait, &StepWait::met);
  QSignalSpy timedOut(&wait, &StepWait::timedOut);
  bool arrived = false;
  wait.start(5000, [&] { return arrived ? QStringLiteral("here") : QString(); }, QStringLiteral("too late"));
  QVERIFY(wait.isWaiting());
  wait.poll();
  QCOMPARE(met.size(), 0);
  arrived = true;
  wait.poll();
  wait.poll();
  QCOMPARE(met.size(), 1);
  QCOMPARE(met.at(0).at(0).toString(), QStringLiteral("here"));
  QVERIFY(!wait.isWaiting());

  // Met at once, before start returns.
  wait.start(5000, [] { return QStringLiteral("already"); }, QStringLiteral("too late"));
  QCOMPARE(met.size(), 2);

  wait.start(50, [] { return QString(); }, QStringLiteral("too late"));
  QVERIFY(timedOut.wait(2000));
  QCOMPARE(timedOut.at(0).at(0).toString(), QStringLiteral("too late"));
  QVERIFY(!wait.isWaiting());
  // Cleared: its timeout never comes.
  wait.start(50, [] { return QString(); }, QStringLiteral("never"));
  wait.clear();
  QTest::qWait(150);
  QCOMPARE(timedOut.size(), 1);
  QCOMPARE(met.size(), 2);
}

void TestTeacherParts::commandLine_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<QString>("error"); // empty: accepted
  QTest::newRow("local") << QStringList{"--scenario", "a.json", "--secret", "k", "--user", "t1", "--room", "300101"} << "";
  QTest::newRow("service") << QStringList{"--scenario", "a.json", "--phone", "13900000001", "--password", "w"} << "";
  QTest::newRow("check only") << QStringList{"--scenario", "a.json", "--check"} << "";
  QTest::newRow("no scenario") << QStringList{"--check"} << "--scenario is missing";
  QTest::newRow("no sign-in") << QStringList{"--scenario", "a.json"} << "say how the teacher signs in";
  QTest::newRow("phone alone") << QStringList{"--scenario", "a.json", "--phone", "1"} << "--phone needs --password";
  QTest::newRow("bad room") << QStringList{"--scenario", "a.json", "--room", "4294967296"} << "--room must be a room number";
  QTest::newRow("unknown option") << QStringList{"--scenario", "a.json", "--rooom", "1"} << "Unknown option";
  QTest::newRow("stray argument") << QStringList{"--scenario", "a.json", "extra", "--check"} << "unexpected argument \"extra\"";
}

void TestTeacherParts::commandLine() {
  QFETCH(QStringList, args);
  QFETCH(QString, error);
  qunsetenv("TARNWICK_LOCAL_SECRET");
  TeacherOptions options;
  QString problem;
  const bool ok = options.parse(QStringList{"tarnwick-teacher"} + args, &problem);
  QCOMPARE(ok, error.isEmpty());
  QVERIFY2(problem.contains(error), qPrintable(problem));
  if (QTest::currentDataTag() == QLatin1String("local")) {
    QCOMPARE(options.roomId, 300101u);
    QCOMPARE(options.secret, QByteArray("k"));
    QVERIFY(!options.signsInThroughService());
  }
}

void TestTeacherParts::stageCommandsNameWhomTheyGrant() {
  using Action = StageGrants::Action;
  const auto code = [](ClassCommandCode c) { return toWire(c); };
  QCOMPARE(StageGrants::actionFor(code(ClassCommandCode::CallOnStage)), Action::Grant);
  QCOMPARE(StageGrants::actionFor(code(ClassCommandCode::CameraRequest)), Action::Grant);
  QCOMPARE(StageGrants::actionFor(code(ClassCommandCode::TakeOffStage)), Action::Revoke);
  QCOMPARE(StageGrants::actionFor(code(ClassCommandCode::EveryoneOffStage)), Action::Revoke);
  QCOMPARE(StageGrants::actionFor(code(ClassCommandCode::CameraOff)), Action::Revoke);
  QCOMPARE(StageGrants::actionFor(code(ClassCommandCode::Chat)), Action::None);

  StageGrants grants;
  grants.classmate(QStringLiteral("mate"));
  const QStringList present{QStringLiteral("s1"), QStringLiteral("s2"), QStringLiteral("mate")};
  // One student by "to"; the class means the students, never the scripted classmates.
  QCOMPARE(grants.targets(code(ClassCommandCode::CallOnStage), QStringLiteral("s1"), QString(), present), QStringList{"s1"});
  QCOMPARE(grants.targets(code(ClassCommandCode::CameraRequest), QString(), QString(), present), (QStringList{"s1", "s2"}));
  QCOMPARE(grants.targets(code(ClassCommandCode::Display), QString(), QString(), present), QStringList());
  // Taking back: 2050 names its student in the parameter, whoever it goes to.
  QCOMPARE(grants.targets(code(ClassCommandCode::TakeOffStage), QString(), QStringLiteral("s2"), present), QStringList{"s2"});
  // To the class: only those the teacher let up, while they are here.
  QVERIFY(grants.targets(code(ClassCommandCode::EveryoneOffStage), QString(), QString(), present).isEmpty());
  grants.granted(QStringLiteral("s2"));
  grants.granted(QStringLiteral("gone"));
  QCOMPARE(grants.targets(code(ClassCommandCode::EveryoneOffStage), QString(), QString(), present), QStringList{"s2"});
  QCOMPARE(grants.targets(code(ClassCommandCode::CameraOff), QStringLiteral("s1"), QString(), present), QStringList{"s1"});
  grants.revoked(QStringLiteral("s2"));
  QVERIFY(grants.targets(code(ClassCommandCode::CameraOff), QString(), QString(), present).isEmpty());
}

QTEST_MAIN(TestTeacherParts)
#include "test_teacher_parts.moc"

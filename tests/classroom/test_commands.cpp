// The command table as the classroom receives it: who may give which command, the "@@"
// prefix, the chat permission rules and the reward text.
#include "classroom/classcommands.h"
#include "classroom/rewardnotice.h"
#include "messaging/classcommand.h"

#include <QTest>
#include <iterator>

namespace {

const QString kMe = QStringLiteral("stu_1");
const QString kTeacher = QStringLiteral("tch_1");
const QString kOther = QStringLiteral("stu_2");

struct Target : ClassCommandTarget {
  int status = 2;
  QString teacher = kTeacher;
  QStringList log;
  QString userId() const override { return kMe; }
  QString masterId() const override { return teacher; }
  ClassStatus sessionStatus() const override { return ClassStatus(status); }
  void welcomeMember(const QString &name) override { log << "welcome " + name; }
  void queueWelcome(const QString &senderId) override { log << "queue " + senderId; }
  void teacherLeft() override { log << "teacherLeft"; }
  void goOnStage() override { log << "onStage"; }
  void goOffStage() override { log << "offStage"; }
  void markMemberStage(const QString &uid, bool on) override {
    log << QStringLiteral("mark %1 %2").arg(uid).arg(on);
  }
  void receiveChatCommand(const QString &sender, const QString &param, uint32_t time) override {
    log << QStringLiteral("chat %1 %2 %3").arg(sender, param).arg(time);
  }
  void displayCommand(const QString &display) override { log << "display " + display; }
  void applyChatPermission(ChatPermission::Action a) override {
    log << (a == ChatPermission::Forbid ? "forbid" : a == ChatPermission::Allow ? "allow" : "?");
  }
  void reward(const QString &json) override { log << "reward " + json; }
  void cameraRequested() override { log << "camera"; }
  void cameraClosedByTeacher() override { log << "cameraClosed"; }
  void rosterNotice(const QString &json) override { log << "notice " + json; }
};

} // namespace

class TestCommands : public QObject {
  Q_OBJECT

  Target target_;
  std::unique_ptr<ClassCommands> commands_;

  // Codes as they come off the wire, known or not.
  QStringList run(const QString &sender, int wireCode, const QString &param) {
    target_.log.clear();
    commands_->dispatch(sender, wireCode, param, 1700000000);
    return target_.log;
  }
  QStringList run(const QString &sender, ClassCommandCode code, const QString &param) {
    return run(sender, toWire(code), param);
  }

private slots:
  void init() {
    target_ = Target();
    commands_ = std::make_unique<ClassCommands>(&target_);
  }

  // Every code the teacher gives, with a parameter the teacher's command would act on.
  void teacherCodesOnlyFromTheTeacher_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("param");
    const QString snapshot = QStringLiteral("{\"forbid_all\":\"1\"}");
    const QString reward = QStringLiteral("{\"type\":\"101\"}");
    const QList<QPair<ClassCommandCode, QString>> codes = {
        {ClassCommandCode::TeacherLeaves, QString()},  {ClassCommandCode::EveryoneOffStage, QString()},
        {ClassCommandCode::CallOnStage, QString()},    {ClassCommandCode::TakeOffStage, kMe},
        {ClassCommandCode::Display, "WhiteBoard"},     {ClassCommandCode::ChatSwitch, "1"},
        {ClassCommandCode::ChatSwitchAlt, "1"},        {ClassCommandCode::Reward, reward},
        {ClassCommandCode::RewardAlt, reward},         {ClassCommandCode::CameraRequest, QString()},
        {ClassCommandCode::CameraOff, QString()},      {ClassCommandCode::RosterNotice, "{}"},
        {ClassCommandCode::ForbidAll, "1"},            {ClassCommandCode::ForbidYou, "1"},
        {ClassCommandCode::ChatSnapshot, snapshot}};
    QCOMPARE(codes.size(), int(std::size(kTeacherCommands)));
    for (const auto &c : codes)
      QTest::newRow(qPrintable(QString::number(toWire(c.first)))) << toWire(c.first) << c.second;
  }
  void teacherCodesOnlyFromTheTeacher() {
    QFETCH(int, code);
    QFETCH(QString, param);
    QVERIFY(isTeacherCommand(code));
    target_.status = 3;
    QVERIFY(run(kOther, code, param).isEmpty());
    QVERIFY(run(kMe, code, param).isEmpty());
    QVERIFY(run(QString(), code, param).isEmpty());
    QCOMPARE(run(kTeacher, code, param).size(), 1);
    // A class whose teacher is not known yet obeys nobody, not even an empty sender.
    target_.teacher.clear();
    QVERIFY(run(QString(), code, param).isEmpty());
    QVERIFY(run(kTeacher, code, param).isEmpty());
  }

  void teacherOnlyCommandsReachTheirReaction() {
    QCOMPARE(run(kTeacher, ClassCommandCode::CallOnStage, QString()), QStringList{"onStage"});
    QCOMPARE(run(kTeacher, ClassCommandCode::CameraRequest, QString()), QStringList{"camera"});
    QCOMPARE(run(kTeacher, ClassCommandCode::CameraOff, QString()), QStringList{"cameraClosed"});
  }

  void offStageCommands() {
    QVERIFY(run(kOther, ClassCommandCode::EveryoneOffStage, QString()).isEmpty());
    QCOMPARE(run(kTeacher, ClassCommandCode::EveryoneOffStage, QString()), QStringList{"offStage"});
    target_.status = 3;
    QVERIFY(run(kTeacher, ClassCommandCode::TakeOffStage, kOther).isEmpty());
    QCOMPARE(run(kTeacher, ClassCommandCode::TakeOffStage, kMe), QStringList{"offStage"});
    target_.status = 2;
    QVERIFY(run(kTeacher, ClassCommandCode::TakeOffStage, kMe).isEmpty());
  }

  void teacherLeftOnlyOnceSignedInPastStatusOne() {
    target_.status = 1;
    QVERIFY(run(kTeacher, ClassCommandCode::TeacherLeaves, QString()).isEmpty());
    for (int s : {0, 2, 3}) {
      target_.status = s;
      QCOMPARE(run(kTeacher, ClassCommandCode::TeacherLeaves, QString()), QStringList{"teacherLeft"});
    }
  }

  void prefixIsStrippedOnce() {
    QCOMPARE(ClassCommands::stripPrefix(QStringLiteral("@@abc")), QStringLiteral("abc"));
    QCOMPARE(ClassCommands::stripPrefix(QStringLiteral("@@@@x")), QStringLiteral("@@x"));
    QCOMPARE(ClassCommands::stripPrefix(QStringLiteral("@x")), QStringLiteral("@x"));
    QCOMPARE(run(kTeacher, ClassCommandCode::Display, QStringLiteral("@@WhiteBoard")), QStringList{"display WhiteBoard"});
    target_.status = 3;
    QCOMPARE(run(kTeacher, ClassCommandCode::TakeOffStage, QStringLiteral("@@") + kMe), QStringList{"offStage"});
  }

  void memberEnteredWithAndWithoutName() {
    QCOMPARE(run(kOther, ClassCommandCode::MemberEntered, QStringLiteral("小红")), QStringList{"welcome 小红"});
    QCOMPARE(run(kOther, ClassCommandCode::MemberEntered, QString()), QStringList{"queue " + kOther});
    QCOMPARE(run(kOther, ClassCommandCode::MemberEntered, QStringLiteral("@@")), QStringList{"queue " + kOther});
  }

  void stageMarksAndChatFromAnyone() {
    QCOMPARE(run(kOther, ClassCommandCode::OnStage, kOther), QStringList{"mark " + kOther + " 1"});
    QCOMPARE(run(kOther, ClassCommandCode::LeftStage, kOther), QStringList{"mark " + kOther + " 0"});
    QCOMPARE(run(kOther, ClassCommandCode::Chat, QStringLiteral("{}")),
             QStringList{"chat " + kOther + " {} 1700000000"});
    QCOMPARE(run(kTeacher, ClassCommandCode::RosterNotice, QStringLiteral("{\"notify_id\":1}")),
             QStringList{"notice {\"notify_id\":1}"});
    QCOMPARE(run(kTeacher, ClassCommandCode::Reward, QStringLiteral("{}")), QStringList{"reward {}"});
    QCOMPARE(run(kTeacher, ClassCommandCode::RewardAlt, QStringLiteral("{}")), QStringList{"reward {}"});
    for (int code : {0, 3, 4, 5, 2052, 2054, 2055, 2058, 2060, 2104, 2106, 2107, 2112, 9999})
      QVERIFY2(run(kTeacher, code, kMe).isEmpty(), qPrintable(QString::number(code)));
  }

  void receivedTextMustBeACommandObject() {
    target_.log.clear();
    QVERIFY(!commands_->dispatchText(kTeacher, QStringLiteral("hello"), 1));
    QVERIFY(!commands_->dispatchText(kTeacher, QStringLiteral("[2049]"), 1));
    QVERIFY(target_.log.isEmpty());
    QVERIFY(commands_->dispatchText(
        kTeacher, QString::fromUtf8(ClassCommand::toJson(2049, QString())), 1));
    QCOMPARE(target_.log, QStringList{"onStage"});
  }

  void chatPermissionSequences_data() {
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("switch off and on") << QList<int>{2059, 2061} << QStringList{"1", "0"}
                                       << QStringList{"forbid", "allow"};
    QTest::newRow("switch other value") << QList<int>{2059} << QStringList{"2"} << QStringList{};
    QTest::newRow("snapshot keeps it closed through 2061 0")
        << QList<int>{2113, 2061, 2110}
        << QStringList{"{\"forbid_all\":\"1\"}", "0", "0"} << QStringList{"forbid", "allow"};
    QTest::newRow("everybody and this student")
        << QList<int>{2110, 2111, 2110, 2111} << QStringList{"1", "1", "0", "0"}
        << QStringList{"forbid", "forbid", "forbid", "allow"};
    QTest::newRow("other value only reapplies")
        << QList<int>{2111, 2110} << QStringList{"1", "x"} << QStringList{"forbid", "forbid"};
    QTest::newRow("snapshot with missing key keeps the flag")
        << QList<int>{2111, 2113} << QStringList{"1", "{\"forbid_all\":\"0\"}"}
        << QStringList{"forbid", "forbid"};
    QTest::newRow("snapshot numbers read as their text")
        << QList<int>{2113} << QStringList{"{\"forbid_all\":1}"} << QStringList{"forbid"};
    QTest::newRow("snapshot that is no JSON opens")
        << QList<int>{2113, 2059} << QStringList{"garbage", "0"} << QStringList{"allow"};
  }

  void chatPermissionSequences() {
    QFETCH(QList<int>, codes);
    QFETCH(QStringList, params);
    QFETCH(QStringList, expected);
    QStringList seen;
    for (int i = 0; i < codes.size(); ++i)
      seen << run(kTeacher, codes.at(i), params.at(i));
    QCOMPARE(seen, expected);
  }

  void rewardTextNamesTheReceiver() {
    const QString json = QStringLiteral(
        R"({"type":"101","amount":20,"receiver":"stu_1","receiver_name":"小明",)"
        R"("message":"恭喜[receiver_name]获得奖励，[receiver_name]真棒","memo":"备注"})");
    const RewardNotice mine = RewardNotice::parse(json, kMe);
    QVERIFY(mine.valid && mine.hasPacket());
    QCOMPARE(mine.amount, 20);
    QCOMPARE(mine.chatText(), QStringLiteral("恭喜你获得奖励，你真棒"));
    const RewardNotice theirs = RewardNotice::parse(json, kOther);
    QCOMPARE(theirs.chatText(), QStringLiteral("恭喜小明获得奖励，小明真棒"));

    const RewardNotice memoOnly = RewardNotice::parse(
        QStringLiteral(R"({"type":"103","message":"m [Receiver_Name]","memo":"表扬一次"})"), kMe);
    QVERIFY(!memoOnly.hasPacket());
    QCOMPARE(memoOnly.chatText(), QStringLiteral("表扬一次"));
    QCOMPARE(memoOnly.message, QStringLiteral("m [Receiver_Name]"));
    QVERIFY(RewardNotice::parse(QStringLiteral(R"({"type":"102"})"), kMe).hasPacket());
    QVERIFY(!RewardNotice::parse(QStringLiteral("not json"), kMe).valid);
  }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "test_commands.moc"

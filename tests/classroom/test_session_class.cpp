// A running class: roster notices, welcome lines and chat from other kinds of clients, and
// sending chat. The heartbeat and the upload signature are the session's (test_classsession).
#include "classfixture.h"

#include "classroom/classchat.h"
#include "classroom/memberroster.h"
#include "core/jsonhelpers.h"

#include <QDateTime>
#include <QTest>
#include <QTextEdit>
#include <algorithm>
#include <QTimer>

using namespace classtest;

class TestSessionClass : public QObject {
  Q_OBJECT

  std::unique_ptr<ClassWorld> world_;

  FakeBackend &backend() { return world_->backend; }
  MainForm *window() { return world_->window; }
  QWidget *area(const char *name) { return window()->findChild<QWidget *>(QLatin1String(name)); }

private slots:
  void init() { world_ = std::make_unique<ClassWorld>(); }
  void cleanup() { world_.reset(); }

  void rosterNoticesFetchWhatTheyMiss() {
    QVERIFY(world_->enter());
    MainForm *w = window();
    QTRY_COMPARE(w->roster()->rowCount(), 2);
    world_->teacherSays(ClassCommandCode::RosterNotice, QStringLiteral(R"({"notify_id":7,"data":[{"uid":"stu_3","name":"新同学","exit":0,"role":"0","up":0}]})"), true);
    QVERIFY(backend().waitFor("live-service/one_room_user", 1));
    QCOMPARE(backend().calls("live-service/one_room_user").at(0).params.value("uid"),
             QStringLiteral("stu_3"));
    world_->teacherSays(ClassCommandCode::RosterNotice, QStringLiteral(R"({"notify_id":9,"data":[]})"), true);
    QVERIFY(backend().waitFor("live-service/room_user", 2));
    QTRY_VERIFY(!backend().calls("live-service/room_user").isEmpty() &&
                backend().calls("live-service/room_user").last().params.value("is_addition") == "1");
  }

  // A classmate who comes in before any roster lists them is asked for at once, and named:
  // with a teacher who sends no notices they stayed nameless until the next full refresh.
  void aClassmateNoRosterListsIsAskedForWhenTheyComeIn() {
    backend().answer("live-service/one_room_user",
                     FakeBackend::ok({{"idlist", QJsonArray{QJsonObject{{"uid", kOtherStudentId},
                                                                        {"name", "陈子墨"},
                                                                        {"role", "0"}}}}}));
    QVERIFY(world_->enter());
    MainForm *w = window();
    QTRY_COMPARE(w->roster()->rowCount(), 2);
    QCOMPARE(backend().count("live-service/one_room_user"), 0); // the teacher and the student are known
    world_->otherStudent();
    QVERIFY(backend().waitFor("live-service/one_room_user", 1));
    QCOMPARE(backend().calls("live-service/one_room_user").at(0).params.value("uid"), kOtherStudentId);
    QTRY_COMPARE(w->roster()->memberText(kOtherStudentId, MemberRoster::ColName), QStringLiteral("陈子墨"));
    QTest::qWait(300);
    QCOMPARE(backend().count("live-service/one_room_user"), 1);
  }

  void welcomeLinesNowOrAfterTwoSeconds() {
    QVERIFY(world_->enter());
    MainForm *w = window();
    QTRY_COMPARE(w->roster()->rowCount(), 2);
    world_->teacherSays(ClassCommandCode::MemberEntered, QStringLiteral("@@小红"), true);
    QTRY_VERIFY(w->chat()->shownLines().contains(QStringLiteral("系统消息:欢迎 小红 进入教室")));
    world_->teacherSays(ClassCommandCode::MemberEntered, QString(), true);
    QTRY_COMPARE(w->delayTimer()->isActive(), true);
    QCOMPARE(w->delayTimer()->interval(), 2000);
    QVERIFY(!w->chat()->shownLines().contains(QStringLiteral("系统消息:欢迎 王老师 进入教室")));
    QTRY_VERIFY_WITH_TIMEOUT(
        w->chat()->shownLines().contains(QStringLiteral("系统消息:欢迎 王老师 进入教室")), 4000);
    // A member not in the roster gets no welcome line.
    world_->otherStudent()->sendCommand(ClassCommandCode::MemberEntered, QString());
    QTRY_VERIFY(w->delayTimer()->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!w->delayTimer()->isActive(), 4000);
    QCOMPARE(w->chat()->shownLines().filter(QStringLiteral("欢迎")).size(), 2);
  }

  void plainChatFromOtherKindsOfClients() {
    QVERIFY(world_->enter());
    MainForm *w = window();
    QTRY_COMPARE(w->roster()->rowCount(), 2);
    // The teacher's roster row names a client of this kind: its plain chat comes again as 2056.
    world_->teacher->sendGroup(QString::number(kRoom), {HubTeacher::text("你好")});
    world_->otherStudent()->sendGroup(QString::number(kRoom),
                                      {HubTeacher::text("大家好"), HubTeacher::face(7)});
    QTRY_COMPARE(w->chat()->shownLines().size(), 1);
    QCOMPARE(w->chat()->shownLines().at(0), QStringLiteral(":大家好[表情007]"));
    world_->teacherSays(ClassCommandCode::Chat, QStringLiteral(R"({"name":"王老师","type":"message","contents":[{"type":"text","value":"你好"}]})"), true);
    QTRY_COMPARE(w->chat()->shownLines().size(), 2);
    QCOMPARE(w->chat()->shownLines().at(1), QStringLiteral("王老师:你好"));
  }

  void sendingChatTwiceOverAndTheLengthLimit() {
    QVERIFY(world_->enter());
    MainForm *w = window();
    auto *input = w->findChild<QTextEdit *>("textEditChat");
    input->setFocus();
    input->setPlainText(QStringLiteral("老师，我明白了"));
    QTest::keyClick(input, Qt::Key_Return);
    QTRY_COMPARE(world_->teacher->commands(ClassCommandCode::Chat).size(), 1);
    const QVariantMap page = jsonToMap(world_->teacher->commands(ClassCommandCode::Chat).at(0).actionParam);
    QCOMPARE(page.value("name").toString(), kStudentName);
    QCOMPARE(page.value("contents").toList().at(0).toMap().value("value").toString(),
             QStringLiteral("老师，我明白了"));
    QTRY_VERIFY(std::any_of(world_->teacher->messages().cbegin(), world_->teacher->messages().cend(),
                            [](const hubproto::ImMessage &m) {
                              return m.elems.size() == 1 && m.elems.at(0).kind == hubproto::Element::Text &&
                                     m.elems.at(0).text == QStringLiteral("老师，我明白了");
                            }));
    QCOMPARE(w->chat()->shownLines().last(), kStudentName + QStringLiteral(":老师，我明白了"));
    QVERIFY(input->toPlainText().isEmpty());

    input->setPlainText(QString(501, QLatin1Char('x')));
    w->onBtnSendMessage();
    QCOMPARE(w->chat()->shownLines().last(), QStringLiteral("系统消息:发送消息内容超长，请分条发送。"));
    QCOMPARE(input->toPlainText().size(), 501);
    input->setPlainText(QString(500, QLatin1Char('y')));
    w->onBtnSendMessage();
    QTRY_COMPARE(world_->teacher->commands(ClassCommandCode::Chat).size(), 2);
  }
};

QTEST_MAIN(TestSessionClass)
#include "test_session_class.moc"

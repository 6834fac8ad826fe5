// Whole classes with IM on ejabberd: tarnwick-local seats the users in the class's room there
// and hands out its tokens, the scripted teacher (tarnwick-teacher) and the student's classroom
// talk through it; media and the roster stay on the hub. One ejabberd and one service for the
// program. Also the same account signing in elsewhere, which ends the class, and the server
// restarting mid-class, which does not. And a hostile classmate on a modified
// client, whose teacher's commands and board data the student's classroom does not obey.
#include "classfixture.h"
#include "scriptedclass.h"

#include "classroom/classchat.h"
#include "classroom/memberroster.h"
#include "classroom_widgets/reconnectbanner.h"
#include "classroom_widgets/qtredpacket.h"
#include "core/deployment.h"
#include "messaging/imbytes.h"
#include "messaging/imservice.h"
#include "messaging/wbmessage.h"
#include "protocol/classcommandcode.h"
#include "protocol/messagerights.h"
#include "sdk/live/ilive.h"
#include "sdk/net/xmpp/xmppimtransport.h"
#include "support/ejabberdengine.h"
#include "support/localservice.h"
#include "support/seedaccounts.h"
#include "support/rawxmppmember.h"
#include "support/servicemember.h"

#include <QJsonDocument>
#include <QMutex>
#include <QJsonArray>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace classtest;
using seed::kMaster;
using seed::kRoomId;

namespace {

constexpr int kClassMs = 20000;

// Commands both ways (one-to-one and group), a chat line and a reward, then the end.
const char *const kLesson = R"({
  "name": "xmpp class", "room": 300101, "timeout": 90,
  "steps": [
    {"do": "enter"},
    {"do": "waitMember", "user": "*", "as": "student", "timeout": 30},
    {"do": "waitCommand", "code": 2112, "from": "${student}", "timeout": 20},
    {"do": "chat", "text": "同学们好"},
    {"do": "command", "code": 2049, "to": "${student}"},
    {"do": "waitCommand", "code": 2051, "from": "${student}", "timeout": 20},
    {"do": "wait", "seconds": 1},
    {"do": "command", "code": 2050, "to": "group", "param": "${student}"},
    {"do": "waitCommand", "code": 2053, "from": "${student}", "timeout": 20},
    {"do": "reward", "to": "${student}", "amount": 50, "type": "101", "message": "恭喜[receiver_name]获得红包"},
    {"do": "wait", "seconds": 1},
    {"do": "leave"}
  ]
})";

// The teacher stays in the room until the test ends the class from the server's side.
const char *const kLongLesson = R"({
  "name": "xmpp long class", "room": 300101, "timeout": 120,
  "steps": [
    {"do": "enter"},
    {"do": "waitMember", "user": "*", "as": "student", "timeout": 30},
    {"do": "wait", "seconds": 90},
    {"do": "leave"}
  ]
})";

// The long lesson with the teacher drawing a stroke once the student is in.
const char *const kBoardLesson = R"({
  "name": "xmpp board class", "room": 300101, "timeout": 120,
  "steps": [
    {"do": "enter"},
    {"do": "waitMember", "user": "s10001", "timeout": 30},
    {"do": "wait", "seconds": 3},
    {"do": "boardTool", "tool": "pen"},
    {"do": "boardDraw", "points": [[100, 100], [400, 300]]},
    {"do": "wait", "seconds": 90},
    {"do": "leave"}
  ]
})";

// The senders of the board messages the classroom let through to its board.
QMutex g_boardMutex;
QStringList g_boardSenders;
void recordBoardMessage(im::MessageHandle msg, int elemCount, IMService *service) {
  const QString sender = QString::fromUtf8(imbytes::read(msg, &im::getMessageSenderSize, &im::getMessageSender));
  {
    QMutexLocker lock(&g_boardMutex);
    g_boardSenders.append(sender);
  }
  wbmessage::decode(msg, elemCount, service);
}
QStringList boardSenders() {
  QMutexLocker lock(&g_boardMutex);
  return g_boardSenders;
}

// Counts the times the widget it watches was shown.
class ShowCounter : public QObject {
public:
  int shown = 0;
  bool eventFilter(QObject *, QEvent *event) override {
    shown += event->type() == QEvent::Show;
    return false;
  }
};

hubproto::Element command(ClassCommandCode code, const QString &param) {
  hubproto::Element e;
  e.kind = hubproto::Element::Custom;
  e.ext = QStringLiteral("LiveNotification");
  e.data = QJsonDocument(QJsonObject{{QStringLiteral("userAction"), toWire(code)},
                                     {QStringLiteral("actionParam"), param}})
               .toJson(QJsonDocument::Compact);
  return e;
}

} // namespace

class TestSessionXmpp : public QObject {
  Q_OBJECT

  EjabberdEngine m_engine;
  std::unique_ptr<LocalService> m_service;
  std::unique_ptr<ScriptedClass> m_class; // the scripted teacher with IM on the server

  void startTeacher(const char *scenario) { QVERIFY(m_class->startTeacher(scenario)); }
  MainForm *seatedStudent(FakeShell &shell, QTimer *ticks) { return m_class->seatStudent(shell, ticks, kClassMs); }

  // Signed in to the IM server with the token of the class sign-in, and in the class's room
  // unless join is false.
  std::unique_ptr<sdk::XmppImTransport> imMember(const QString &phone, const QString &password, const QString &role,
                                                 bool join = true) {
    const QString token = m_service->signIn(phone, password);
    const LocalService::Reply login = m_service->call(
        QStringLiteral("live-service"), QStringLiteral("bgp_login"),
        {{QStringLiteral("token"), token}, {QStringLiteral("roomId"), QString::number(kRoomId)}, {QStringLiteral("role"), role}});
    sdk::XmppAddress address;
    if (!sdk::XmppAddress::parse(m_engine.xmppUrl(), &address))
      return nullptr;
    auto im = std::make_unique<sdk::XmppImTransport>(address, login.data().value(QStringLiteral("imToken")).toString());
    int code = -1;
    im->signIn(login.data().value(QStringLiteral("userId")).toString(), [&](int c, const QString &) { code = c; });
    if (!QTest::qWaitFor([&] { return code >= 0; }, kClassMs) || code != 0)
      return nullptr;
    if (!join)
      return im;
    code = -1;
    im->joinRoom(kRoomId, [&](int c, const QString &) { code = c; });
    if (!QTest::qWaitFor([&] { return code >= 0; }, kClassMs) || code != 0)
      return nullptr;
    return im;
  }

  // A student's classroom with the long lesson's teacher in the room.
  struct Seat {
    FakeShell shell;
    BoxWatch boxes;
    QTimer ticks;
    MainForm *w = nullptr;
  };
  bool seatInLongLesson(Seat *seat) {
    startTeacher(kLongLesson);
    seat->w = seatedStudent(seat->shell, &seat->ticks);
    return seat->w != nullptr;
  }

  void endClass(MainForm *w) {
    QTRY_VERIFY_WITH_TIMEOUT(w->isClosed(), kClassMs);
    delete w;
    m_class->stopTeacher();
  }

private slots:
  void initTestCase() {
    QVERIFY2(m_engine.start(), qPrintable(m_engine.errorString()));
    m_service = startClassOnEjabberd(m_engine, m_engine.xmppUrl());
    QVERIFY(m_service);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TARNWICK_IM"), QStringLiteral("xmpp"));
    env.insert(QStringLiteral("TARNWICK_XMPP_URL"), m_engine.xmppUrl());
    m_class = std::make_unique<ScriptedClass>(*m_service, env);
  }

  void cleanupTestCase() {
    m_class.reset();
    GetILive()->release(nullptr, nullptr, nullptr);
    QVERIFY(!m_service || m_service->stop()); // none when the engine did not start
  }

  void cleanup() { BoxWatch::closeInformation(); }

  // What a late joiner's board replays: the teacher's board messages, kept by the service from
  // the IM room; a student's forged board data is not among them.
  void lateJoinersBoardHistoryComesFromTheService() {
    auto teacher = imMember(seed::kTeacherPhone, seed::kTeacherPassword, QStringLiteral("1"));
    auto student = imMember(seed::kClassmatePhone, seed::kClassmatePassword, QStringLiteral("0"));
    QVERIFY(teacher && student);
    QTest::qWait(500); // the service's own account enters the room beside them
    const QString ext = QStringLiteral("TXWhiteBoardExt");
    const hubproto::Conversation group{hubproto::Conversation::Group, QString::number(kRoomId)};
    auto board = [](const QByteArray &envelope) {
      hubproto::Element e;
      e.kind = hubproto::Element::Custom;
      e.data = envelope;
      e.ext = QStringLiteral("TXWhiteBoardExt");
      return QVector<hubproto::Element>{e};
    };
    auto ignore = [](int, const QString &) {};
    student->send(group, board(R"({"seq":1,"timestamp":1,"value":{"forged":1}})"), &ext, ignore);
    teacher->send(group, board(R"({"seq":1,"timestamp":2,"value":{"a":1}})"), &ext, ignore);
    hubproto::Element chat;
    chat.text = QStringLiteral("看黑板");
    teacher->send(group, {chat}, nullptr, ignore); // plain chat: not board data

    ServiceMember late(*m_service, QStringLiteral("s10003"));
    QVERIFY(late.enter(kRoomId, QStringLiteral("Guest")));
    QJsonArray messages;
    auto history = [&] {
      messages = m_service->call(QStringLiteral("board"), QStringLiteral("history"),
                                 {{QStringLiteral("roomId"), QString::number(kRoomId)},
                                  {QStringLiteral("userId"), late.userId},
                                  {QStringLiteral("userSig"), late.sig}})
                     .data().value(QStringLiteral("messages")).toArray();
      return messages;
    };
    QTRY_COMPARE_WITH_TIMEOUT(history().size(), 1, kClassMs);
    QTest::qWait(500);
    QCOMPARE(history().size(), 1);
    const QJsonObject kept = messages.at(0).toObject();
    QCOMPARE(kept.value(QStringLiteral("from")).toString(), kMaster);
    QCOMPARE(kept.value(QStringLiteral("offlinePushExt")).toString(), ext);
    hubproto::ImMessage m;
    QString why;
    QVERIFY2(hubproto::messageFromJson(kept, &m, &why), qPrintable(why));
    QCOMPARE(m.elems.at(0).data, QByteArray(R"({"seq":1,"timestamp":2,"value":{"a":1}})"));
    QVERIFY(m.timeMs > 0);
  }

  // The board a student who comes in late sees, as on the hub.
  void lateJoinerSeesTheBoard() { classtest::lateJoinerSeesTheBoard(*m_class); }

  void classWithTheScriptedTeacher() {
    FakeShell shell;
    BoxWatch boxes;
    QTimer ticks;
    startTeacher(kLesson);
    MainForm *w = seatedStudent(shell, &ticks);
    QVERIFY(w);
    QSignalSpy released(w, &MainForm::releaseFinished);
    // On stage by the teacher's one-to-one command, off by the group one.
    QTRY_VERIFY_WITH_TIMEOUT(w->status() == 3, kClassMs);
    QTRY_COMPARE_WITH_TIMEOUT(w->status(), 2, kClassMs);
    QTRY_VERIFY_WITH_TIMEOUT(w->findChild<QtRedPacket *>() != nullptr, kClassMs);
    const QStringList lines = w->chat()->shownLines();
    QVERIFY2(lines.contains(QStringLiteral("系统消息:恭喜你获得红包")), qPrintable(lines.join('\n')));
    QVERIFY2(std::any_of(lines.cbegin(), lines.cend(), [](const QString &l) { return l.contains(QStringLiteral("同学们好")); }),
             qPrintable(lines.join('\n')));
    QTRY_VERIFY_WITH_TIMEOUT(w->isClosed(), kClassMs);
    QCOMPARE(released.count(), 1);
    QProcess *teacher = m_class->teacher();
    QVERIFY(teacher->state() == QProcess::NotRunning || teacher->waitForFinished(15000));
    QVERIFY2(teacher->exitCode() == 0, teacher->readAll().constData());
    QCOMPARE(BoxWatch::information(), QStringList{QStringLiteral("老师退出房间|老师已经退出房间.")});
    delete w;
  }

  // A classmate on a modified client, past its own transport's checks: the teacher's
  // commands to the room and to the student, a board clear and chat under the teacher's name.
  // The student stays seated with the discussion open and no box, the board takes only the
  // teacher's strokes, and the chat shows the classmate's roster name.
  void aHostileClassmateIsNotObeyed() {
    Seat seat;
    IMService::instance()->setWBMessageDecoder(&recordBoardMessage);
    const LocalService::Reply login = m_service->call(
        QStringLiteral("live-service"), QStringLiteral("bgp_login"),
        {{QStringLiteral("token"), m_service->signIn(seed::kClassmatePhone, seed::kClassmatePassword)},
         {QStringLiteral("roomId"), QString::number(kRoomId)},
         {QStringLiteral("role"), QStringLiteral("0")}});
    const QString classmateId = login.data().value(QStringLiteral("userId")).toString();
    // In the hub's room too, as the classmate's real client would be, before the student
    // comes: the roster the student loads names it.
    ServiceMember seated(*m_service, classmateId);
    QVERIFY(seated.enter(kRoomId, QStringLiteral("Guest")));
    startTeacher(kBoardLesson);
    seat.w = seatedStudent(seat.shell, &seat.ticks);
    QVERIFY(seat.w);
    QTRY_VERIFY_WITH_TIMEOUT(boardSenders().contains(kMaster), kClassMs);
    const QString me = seat.w->getUserId();
    QString rosterName;
    QTRY_VERIFY_WITH_TIMEOUT(!(rosterName = seat.w->roster()->memberText(classmateId, MemberRoster::ColName)).isEmpty(),
                             kClassMs);
    RawXmppMember classmate(m_engine.xmppUrl(), classmateId, login.data().value(QStringLiteral("imToken")).toString());
    QVERIFY(classmate.enter(kRoomId, kClassMs));
    for (ClassCommandCode code : {ClassCommandCode::TeacherLeaves, ClassCommandCode::EveryoneOffStage,
                                  ClassCommandCode::ChatSwitch, ClassCommandCode::ForbidAll}) {
      QVERIFY(classmate.send(QString(), {command(code, QStringLiteral("1"))}));
    }
    QVERIFY(classmate.send(me, {command(ClassCommandCode::ForbidYou, QStringLiteral("1"))}));
    QVERIFY(classmate.send(me, {command(ClassCommandCode::CallOnStage, QString())}));
    const QString ext = QLatin1String(hubproto::kWhiteboardExt);
    hubproto::Element clear;
    clear.kind = hubproto::Element::Custom;
    clear.ext = ext;
    clear.data = R"({"seq":1,"timestamp":1,"value":{"action":"clear"}})";
    QVERIFY(classmate.send(QString(), {clear}, ext));
    const QString chat = QStringLiteral(R"({"name":"周老师","type":"message","contents":[{"type":"text","value":"下课了"}]})");
    QVERIFY(classmate.send(QString(), {command(ClassCommandCode::Chat, chat)}));
    // The chat came after everything else on the classmate's link: once it shows, the rest
    // has been read (one-to-one messages take another way through the server, hence the wait).
    QTRY_VERIFY_WITH_TIMEOUT(seat.w->chat()->shownLines().contains(rosterName + QStringLiteral(":下课了")), kClassMs);
    QTest::qWait(1000);
    QCOMPARE(seat.w->status(), 2);
    QVERIFY(seat.w->chat()->chatAllowed());
    QVERIFY(!seat.w->isClosed());
    QCOMPARE(BoxWatch::information(), QStringList());
    QVERIFY(!boardSenders().contains(classmateId));
    IMService::instance()->setWBMessageDecoder(&wbmessage::decode);
    seat.w->session()->exitClass();
    endClass(seat.w);
  }

  void signingInElsewhereEndsTheClass() {
    Seat seat;
    QVERIFY(seatInLongLesson(&seat));
    // The same account on the IM server only, with a token of the same class sign-in.
    auto elsewhere = imMember(seed::kStudentPhone, seed::kStudentPassword, QStringLiteral("0"), false);
    QVERIFY(elsewhere);
    QTRY_VERIFY_WITH_TIMEOUT(BoxWatch::informationCount(QStringLiteral("被踢下线")) == 1, kClassMs);
    endClass(seat.w);
  }

  // Last: the server restarts mid-class. The student's IM comes back (the banner shows and
  // goes, no box) and so does the scripted teacher's, which teaches on.
  void imServerRestartIsRiddenOut() {
    Seat seat;
    QVERIFY(seatInLongLesson(&seat));
    // The restart blocks this thread while the SDK's comes back: the banner may show and go
    // before the test could look.
    ShowCounter banner;
    seat.w->reconnectBanner()->installEventFilter(&banner);
    QVERIFY2(m_engine.restart(), qPrintable(m_engine.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(banner.shown == 1, kClassMs);
    QTRY_VERIFY_WITH_TIMEOUT(!seat.w->reconnectBanner()->isVisible(), 2 * kClassMs);
    QCOMPARE(BoxWatch::information(), QStringList());
    QCOMPARE(seat.w->status(), 2);
    QVERIFY(!seat.w->isClosed());
    QCOMPARE(m_class->teacher()->state(), QProcess::Running);
    seat.w->session()->exitClass();
    endClass(seat.w);
  }
};

QTEST_MAIN(TestSessionXmpp)
#include "test_session_xmpp.moc"

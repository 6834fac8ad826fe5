// A student (the process's live SDK, in-process to a hub) and a teacher (a hub member driven
// by the test) exchange chat text, faces and class commands.
#include "hubteacher.h"
#include "recordingwindow.h"

#include "messaging/chatmessagebuilder.h"
#include "messaging/classcommand.h"
#include "messaging/classsend.h"
#include "messaging/imservice.h"
#include "messaging/messagehook.h"
#include "support/inprocesstransport.h"
#include "sdk/live/ilive.h"
#include "service/hub/hub.h"
#include "protocol/roomgrant.h"
#include "protocol/usersig.h"

#include <QLoggingCategory>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <memory>

namespace {

const QByteArray kSecret("messaging-test-secret");
const quint32 kRoom = 4321;
const QString kGroup = QStringLiteral("4321");
const QString kStudent = QStringLiteral("学生_小明");
const QString kTeacherId = QStringLiteral("王老师");

struct Answer {
  bool done = false;
  int code = 0;
};
void onSucc(void *data) { static_cast<Answer *>(data)->done = true; }
void onErr(const char *, int code, const char *, void *data) {
  auto *a = static_cast<Answer *>(data);
  a->done = true;
  a->code = code;
}

QList<QByteArray> g_whiteboard;
void recordWhiteboard(im::MessageHandle msg, int elemCount, IMService *) {
  for (int i = 0; i < elemCount; ++i) {
    im::ElemHandle e = im::getElem(msg, i);
    QByteArray data(int(im::getCustomDataSize(e)) + 1, '\0');
    uint32_t len = uint32_t(data.size());
    if (im::getCustomData(e, data.data(), &len) == im::IM_OK)
      g_whiteboard.append(data.left(int(len)));
    im::destroyElem(e);
  }
}

QByteArray customData(const hubproto::Element &e) { return e.data; }

} // namespace

class TestClassMessagingHub : public QObject {
  Q_OBJECT

  std::unique_ptr<Hub> hub_;
  std::unique_ptr<HubTeacher> teacher_;
  RecordingWindow window_;

  // Waits for the teacher's latest request to be answered with success.
  bool teacherOk() {
    const qint64 id = teacher_->lastRequestId();
    int code = -1;
    if (!QTest::qWaitFor([&] { return teacher_->replied(id, &code); }, 5000))
      return false;
    return code == 0;
  }

  static bool sdkCall(const std::function<void(Answer *)> &call) {
    Answer a;
    call(&a);
    return QTest::qWaitFor([&] { return a.done; }, 5000) && a.code == 0;
  }

  // The hub's stamp of the teacher's latest message, from its send reply.
  quint32 lastSendTime() const {
    return quint32(teacher_->replies().last().value(QStringLiteral("time")).toDouble());
  }

  // Waits until the student's window has received n messages.
  bool studentGot(int n) {
    return QTest::qWaitFor([&] { return window_.received.size() >= n; }, 5000);
  }

private slots:
  void initTestCase() {
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    hub_ = std::make_unique<Hub>(kSecret);
    sdk::useInProcessHub(hub_.get());
    QCOMPARE(GetILive()->init(1400000001, 1, true), 0);
    const QString sig = usersig::issueFor(kSecret, kStudent, 3600);
    QVERIFY(sdkCall([&](Answer *a) {
      GetILive()->login(kStudent.toUtf8().constData(), sig.toUtf8().constData(), &onSucc, &onErr,
                        a);
    }));
    ilive::RoomOption option;
    option.roomId = kRoom;
    const QByteArray grant = roomgrant::issueFor(kSecret, kStudent, kRoom, QStringLiteral("Guest"), 3600).toUtf8();
    option.authBuffer = ilive::String(grant.constData(), size_t(grant.size()));
    QVERIFY(sdkCall([&](Answer *a) { GetILive()->joinRoom(option, &onSucc, &onErr, a); }));

    teacher_ = std::make_unique<HubTeacher>(hub_.get(), kTeacherId);
    teacher_->login(usersig::issueFor(kSecret, kTeacherId, 3600));
    QVERIFY(teacherOk());
    teacher_->join(kRoom, QStringLiteral("LiveMaster"),
                   roomgrant::issueFor(kSecret, kTeacherId, kRoom, QStringLiteral("LiveMaster"), 3600));
    QVERIFY(teacherOk());

    IMService::instance()->setWBMessageDecoder(&recordWhiteboard);
    MessageHook::install(&window_);
  }

  void cleanupTestCase() {
    MessageHook::uninstall();
    sdkCall([](Answer *a) { GetILive()->quitRoom(&onSucc, &onErr, a); });
    sdkCall([](Answer *a) { GetILive()->logout(&onSucc, &onErr, a); });
    teacher_.reset();
  }

  void init() {
    window_.received.clear();
    g_whiteboard.clear();
  }

  void teacherChatArrivesWithCodesTimeAndSender() {
    teacher_->sendGroup(kGroup, {HubTeacher::text(QStringLiteral("同学们好")), HubTeacher::face(12),
                                 HubTeacher::text(QStringLiteral("!"))});
    QVERIFY(teacherOk());
    const quint32 stamped = lastSendTime();
    QVERIFY(studentGot(1));
    const ReceivedMessage &m = window_.received.first();
    QCOMPARE(m.sender, kTeacherId);
    QCOMPARE(m.thread, QThread::currentThread());
    QCOMPARE(int(m.records.size()), 3);
    QCOMPARE(m.records[0].type, 1);
    QCOMPARE(m.records[0].text, QStringLiteral("同学们好"));
    QCOMPARE(m.records[1].type, 6);
    QCOMPARE(m.records[1].faceIndex, 12);
    QCOMPARE(m.records[2].text, QStringLiteral("!"));
    for (const LiveMessage &r : m.records)
      QCOMPARE(r.time, stamped);
  }

  void teacherCommandParsesOnTheStudentSide() {
    const QString param = QStringLiteral("说\"上台\"吧 \\ {json}");
    teacher_->sendGroup(kGroup, {HubTeacher::custom(ClassCommand::toJson(2049, param),
                                                    ClassCommand::kExt)});
    QVERIFY(teacherOk());
    QVERIFY(studentGot(1));
    const LiveMessage &r = window_.received.first().records.at(0);
    QCOMPARE(r.type, 5);
    ClassCommand c;
    QVERIFY(ClassCommand::parse(r.text, &c));
    QCOMPARE(c.userAction, 2049);
    QCOMPARE(c.actionParam, param);
  }

  void commandLongerThanTenThousandBytesArrivesWhole() {
    const QString param = QString(5000, QChar(0x6587)) + QStringLiteral("尾"); // ~15 kB
    const QByteArray json = ClassCommand::toJson(2056, param);
    QVERIFY(json.size() > 10000);
    teacher_->sendC2C(kStudent, {HubTeacher::custom(json, ClassCommand::kExt)});
    QVERIFY(teacherOk());
    QVERIFY(studentGot(1));
    ClassCommand c;
    QVERIFY(ClassCommand::parse(window_.received.first().records.at(0).text, &c));
    QCOMPARE(c.actionParam, param);
  }

  void whiteboardAndChatBothArrive() {
    teacher_->sendGroup(kGroup, {HubTeacher::text(QStringLiteral("one"))});
    teacher_->sendGroup(kGroup, {HubTeacher::custom("{\"seq\":1,\"value\":{}}",
                                                    QStringLiteral("TXWhiteBoardExt"))},
                        QStringLiteral("TXWhiteBoardExt"));
    teacher_->sendGroup(kGroup, {HubTeacher::text(QStringLiteral("two"))});
    QVERIFY(teacherOk());
    QVERIFY(studentGot(2));
    QTRY_COMPARE(g_whiteboard.size(), 1);
    QCOMPARE(g_whiteboard.first(), QByteArray("{\"seq\":1,\"value\":{}}"));
    QCOMPARE(window_.received[0].records.at(0).text, QStringLiteral("one"));
    QCOMPARE(window_.received[1].records.at(0).text, QStringLiteral("two"));
    QTest::qWait(50);
    QCOMPARE(window_.received.size(), 2);
  }

  void studentCommandsReachTheTeacher() {
    const int before = teacher_->messages().size();
    const QString param = QStringLiteral("{\"name\":\"小明\",\"say\":\"\\\"hi\\\"\"}");
    g_sendGroupCustomCmd(ClassCommandCode::Chat, param);
    g_sendC2CCustomCmd(kTeacherId, ClassCommandCode::HandRaised, kStudent);
    QTRY_COMPARE_WITH_TIMEOUT(teacher_->messages().size(), before + 2, 5000);
    const QList<hubproto::ImMessage> got = teacher_->messages().mid(before);

    QCOMPARE(got[0].conv.type, hubproto::Conversation::Group);
    QCOMPARE(got[0].from, kStudent);
    QCOMPARE(got[0].elems.size(), 1);
    QCOMPARE(got[0].elems[0].kind, hubproto::Element::Custom);
    QCOMPARE(got[0].elems[0].ext, QStringLiteral("LiveNotification"));
    QCOMPARE(customData(got[0].elems[0]), ClassCommand::toJson(2056, param));
    ClassCommand c;
    QVERIFY(ClassCommand::parse(customData(got[0].elems[0]), &c));
    QCOMPARE(c.actionParam, param);

    QCOMPARE(got[1].conv.type, hubproto::Conversation::C2C);
    QVERIFY(ClassCommand::parse(customData(got[1].elems[0]), &c));
    QCOMPARE(c.userAction, 2054);
    QCOMPARE(c.actionParam, kStudent);
  }

  void studentChatFromTheEditorReachesTheTeacher() {
    const int before = teacher_->messages().size();
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("老师"));
    QTextImageFormat emoji;
    emoji.setName(QStringLiteral("[emoji_021]"));
    cursor.insertImage(emoji);
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("好"));
    ilive::Message message;
    ChatMessageBuilder::build(doc, message);
    g_sendGroupCmd(message);
    QTRY_COMPARE_WITH_TIMEOUT(teacher_->messages().size(), before + 1, 5000);
    const QVector<hubproto::Element> elems = teacher_->messages().last().elems;
    QCOMPARE(elems.size(), 4);
    QCOMPARE(elems[0].text, QStringLiteral("老师"));
    QCOMPARE(elems[1].kind, hubproto::Element::Face);
    QCOMPARE(elems[1].faceIndex, 21);
    QCOMPARE(elems[2].text, QStringLiteral("\r\n"));
    QCOMPARE(elems[3].text, QStringLiteral("好"));
  }
};

QTEST_MAIN(TestClassMessagingHub)
#include "test_classmessaging_hub.moc"

// The student's live SDK when its link to the hub breaks: it comes back by itself with what
// it missed, its role, its stream and what it sent meanwhile, or, when the link stays away,
// reports the room lost as before. The test's own transports break on command.
#include "cuttabletransport.h"
#include "imrecorder.h"
#include "sdkfixture.h"

#include "sdk/live/ilive.h"
#include "sdk/live/linkresume.h"
#include "sdk/live/reconnectpolicy.h"
#include "service/hub/hub.h"
#include "support/inprocesstransport.h"

#include <QtTest>

#include <atomic>

using namespace ilive;

namespace {
constexpr quint32 kRoom = 3302;
const QString kStudent = QStringLiteral("学生_王五");
const QString kTeacher = QStringLiteral("老师_赵六");

std::atomic<int> g_reconnectingOn{0};
std::atomic<int> g_reconnectingOff{0};
void onReconnecting(bool on, void *) { ++(on ? g_reconnectingOn : g_reconnectingOff); }

QVector<hubproto::Element> text(const QString &t) {
  QVector<hubproto::Element> elems(1);
  elems[0].kind = hubproto::Element::Text;
  elems[0].text = t;
  return elems;
}

QStringList texts(const QList<ReadMessage> &messages) {
  QStringList out;
  for (const ReadMessage &m : messages)
    out.append(QString::fromUtf8(m.elems.value(0).content));
  return out;
}
} // namespace

class TestLiveReconnect : public QObject {
  Q_OBJECT
private:
  Hub *hub = nullptr;
  Teacher *teacher = nullptr;
  LinkSwitch *links = nullptr;
  Recorder rec;

  iLive *sdk() { return GetILive(); }

  bool call(std::function<void()> fn) {
    rec.reset();
    fn();
    return rec.wait();
  }
  void enterAsStudent() {
    const QByteArray user = kStudent.toUtf8();
    const QByteArray sig = testSig(kStudent).toUtf8();
    QVERIFY(call([&] { sdk()->login(user.constData(), sig.constData(), Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    RoomOption option;
    option.roomId = kRoom;
    setGrant(option, kStudent);
    option.connectionLost = Recorder::connectionLost;
    option.memberStatus = Recorder::memberStatus;
    option.reconnecting = onReconnecting;
    option.data = &rec;
    QVERIFY(call([&] { sdk()->joinRoom(option, Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
  }
  int teacherSends(const hubproto::Conversation &conv, const QString &t) {
    return teacher->call([&](sdk::HubClient &c, sdk::HubReplyFn done) { c.sendMessage(conv, text(t), nullptr, done); }).code;
  }
  int memberEventsOf(const QString &event) const {
    int n = 0;
    for (const auto &e : teacher->memberEvents)
      n += e.first == event && e.second == kStudent;
    return n;
  }

private slots:
  void initTestCase() {
    QCOMPARE(sdk()->init(1400000000, 36862, true), 0);
    ilivesdk::LinkResume::setDefaultPolicy(100, 3000);
  }

  void init() {
    hub = new Hub(kSdkTestSecret);
    links = new LinkSwitch;
    links->install(hub);
    teacher = new Teacher(std::make_unique<sdk::InProcessTransport>(hub));
    QCOMPARE(teacher->login(kTeacher), 0);
    QCOMPARE(teacher->join(kRoom), 0);
    rec = Recorder();
    g_reconnectingOn = 0;
    g_reconnectingOff = 0;
  }

  void cleanup() {
    links->down = false;
    sdk()->closeCamera();
    call([this] { sdk()->logout(Recorder::succ, Recorder::err, &rec); });
    delete teacher;
    delete hub;
    sdk::setHubTransportFactory({});
    delete links;
  }

  void cleanupTestCase() { sdk()->release(nullptr, nullptr, nullptr); }

  // A cut of a second: the teacher's messages from during it arrive once and in order, the
  // student's own message from during it reaches the teacher once, and nobody saw it leave.
  void shortCutComesBackWithWhatWasMissedAndSent() {
    ImRecorder im;
    enterAsStudent();
    const hubproto::Conversation group{hubproto::Conversation::Group, QString::number(kRoom)};
    QCOMPARE(teacherSends(group, QStringLiteral("before")), 0);
    QTRY_COMPARE(im.count(), 1);
    im.take();

    links->cutAll();
    QTRY_COMPARE(g_reconnectingOn.load(), 1);
    QCOMPARE(teacherSends(group, QStringLiteral("during 1")), 0);
    QCOMPARE(teacherSends({hubproto::Conversation::C2C, kStudent}, QStringLiteral("during 2")), 0);
    Recorder mine;
    Message chat;
    chat.addElem(new MessageTextElem("sent in the cut"));
    sdk()->sendGroupMessage(chat, Recorder::succ, Recorder::err, &mine);
    QTest::qWait(800); // tries against a link that is down
    QVERIFY(!mine.answer.done);
    QCOMPARE(rec.lost, 0);

    links->down = false;
    QTRY_COMPARE_WITH_TIMEOUT(g_reconnectingOff.load(), 1, 5000);
    QVERIFY(mine.wait());
    QVERIFY2(mine.answer.ok, qPrintable(mine.answer.desc));
    QTRY_COMPARE(im.count(), 2);
    QCOMPARE(texts(im.take()), (QStringList{QStringLiteral("during 1"), QStringLiteral("during 2")}));
    QTRY_COMPARE(teacher->messages.size(), 1);
    QCOMPARE(teacher->messages.first().from, kStudent);
    QCOMPARE(teacher->messages.first().elems.first().text, QStringLiteral("sent in the cut"));
    QCOMPARE(memberEventsOf(QStringLiteral("exit")), 0);
    QCOMPARE(memberEventsOf(QStringLiteral("enter")), 1);

    QCOMPARE(teacherSends(group, QStringLiteral("after")), 0);
    QTRY_COMPARE(im.count(), 1);
    QCOMPARE(texts(im.take()), QStringList{QStringLiteral("after")});
    QTest::qWait(200);
    QCOMPARE(teacher->messages.size(), 1);
    QCOMPARE(rec.lost, 0);
    QCOMPARE(g_reconnectingOn.load(), 1);
  }

  // On stage with the camera: after the cut the student is on stage again and its camera
  // reaches the teacher again, under the channel the program knows.
  void stageAndCameraComeBack() {
    enterAsStudent();
    Vector<Pair<String, String>> cams;
    QCOMPARE(sdk()->getCameraList(cams), 0);
    QCOMPARE(sdk()->openCamera(cams.back().first.c_str()), 0);
    QCOMPARE(teacher->grantStage(kStudent), 0);
    QVERIFY(call([this] { sdk()->changeRole("LiveGuest", Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    PushStreamOption push;
    QVERIFY(call([&] { sdk()->startPushStream(push, Recorder::pushSucc, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    const uint64_t channel = rec.answer.channel;
    QTRY_VERIFY(teacher->pictures.size() >= 1);

    links->cutAll();
    QTRY_VERIFY(teacher->streamEvents.contains(qMakePair(QStringLiteral("camera"), false)));
    links->down = false;
    QTRY_COMPARE_WITH_TIMEOUT(g_reconnectingOff.load(), 1, 5000);
    teacher->streamEvents.clear();
    teacher->pictures.clear();
    QTRY_VERIFY_WITH_TIMEOUT(teacher->pictures.size() >= 2, 5000);
    QCOMPARE(QString::fromUtf8(teacher->pictures.last().userId), kStudent);
    QCOMPARE(memberEventsOf(QStringLiteral("exit")), 0);
    // The program's channel id still ends the stream.
    QVERIFY(call([&] { sdk()->stopPushStream(channel, Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    QTRY_VERIFY(teacher->streamEvents.contains(qMakePair(QStringLiteral("camera"), false)));
  }

  // On stage, and away longer than the hub held the seat: the stage went with the seat, so the
  // student comes back as a listener instead of losing the class, hears that it is off stage,
  // and can be called up again.
  void backAfterTheSeatEndedComesBackOffStage() {
    HubLimits limits = hub->limits();
    limits.seatHoldMs = 200;
    hub->setLimits(limits);
    enterAsStudent();
    QCOMPARE(teacher->grantStage(kStudent), 0);
    QVERIFY(call([this] { sdk()->changeRole("LiveGuest", Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    links->down = true;
    links->cutAll();
    QTRY_COMPARE_WITH_TIMEOUT(memberEventsOf(QStringLiteral("exit")), 1, 5000); // the seat ended
    rec.members.clear();
    links->down = false;
    QTRY_COMPARE_WITH_TIMEOUT(g_reconnectingOff.load(), 1, 5000);
    QCOMPARE(rec.lost, 0);
    QTRY_VERIFY(std::any_of(rec.members.cbegin(), rec.members.cend(), [](const Recorder::Member &m) {
      return m.event == MEMBER_OFF_STAGE && m.ids.contains(kStudent);
    }));
    QVERIFY(hub->isInRoom(kStudent, kRoom));
    QCOMPARE(teacher->grantStage(kStudent), 0);
    QVERIFY(call([this] { sdk()->changeRole("LiveGuest", Recorder::succ, Recorder::err, &rec); }));
    QVERIFY2(rec.answer.ok, qPrintable(rec.answer.desc));
  }

  // A link that stays away: after the budget the room is lost as before, and what was sent
  // meanwhile fails instead of waiting for ever.
  void linkThatStaysAwayEndsInConnectionLost() {
    enterAsStudent();
    links->cutAll();
    Recorder mine;
    Message chat;
    chat.addElem(new MessageTextElem("never"));
    QTRY_COMPARE(g_reconnectingOn.load(), 1);
    sdk()->sendGroupMessage(chat, Recorder::succ, Recorder::err, &mine);
    const int triesBefore = links->opened;
    QTRY_COMPARE_WITH_TIMEOUT(rec.lost, int(ERR_CONNECTION_LOST), 6000);
    QCOMPARE(links->opened.load(), triesBefore); // every try met the link down
    QVERIFY(mine.wait());
    QCOMPARE(mine.answer.code, int(ERR_CONNECTION_LOST));
    QCOMPARE(g_reconnectingOff.load(), 1);
    QVERIFY(call([this] { sdk()->quitRoom(Recorder::succ, Recorder::err, &rec); }));
    QCOMPARE(rec.answer.code, int(ERR_NOT_IN_ROOM));
  }

  // Leaving during the cut ends the tries: nothing is reported lost afterwards.
  void leavingDuringTheCutStopsTheTries() {
    enterAsStudent();
    links->cutAll();
    QTRY_COMPARE(g_reconnectingOn.load(), 1);
    QVERIFY(call([this] { sdk()->quitRoom(Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    links->down = false;
    const int opened = links->opened;
    QTest::qWait(1500);
    QCOMPARE(links->opened.load(), opened);
    QCOMPARE(rec.lost, 0);
  }

  // The schedule: 0.5 s, 1 s, 2 s … within the budget, the last wait cut short.
  void backOffDoublesWithinTheBudget() {
    ilivesdk::ReconnectPolicy policy;
    qint64 t = 1000;
    policy.start(t);
    QList<int> waits;
    for (int d = policy.nextDelayMs(t); d >= 0 && waits.size() < 50; d = policy.nextDelayMs(t)) {
      waits.append(d);
      t += d + 100; // each try takes 100 ms
    }
    QCOMPARE(waits.mid(0, 5), (QList<int>{500, 1000, 2000, 4000, 8000}));
    QVERIFY(waits.size() == 6);
    QVERIFY(t - 1000 <= ilivesdk::ReconnectPolicy::kBudgetMs + 100);
    QVERIFY(t - 1000 >= ilivesdk::ReconnectPolicy::kBudgetMs - ilivesdk::ReconnectPolicy::kLastTryMs);
    QVERIFY(!policy.active());
    QCOMPARE(policy.nextDelayMs(t), -1);
  }
};

QTEST_GUILESS_MAIN(TestLiveReconnect)
#include "test_livereconnect.moc"

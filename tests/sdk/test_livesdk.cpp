// A student on the process's live SDK and a teacher driven by the test, both on an in-process
// hub: sign-in, the room, chat, faces and class commands, streams and the stage, kicks.
#include "imrecorder.h"
#include "sdkfixture.h"

#include "sdk/im/imsdk.h"
#include "support/inprocesstransport.h"
#include "sdk/live/ilive.h"
#include "sdk/live/linkresume.h"
#include "sdk/live/testpatterncamera.h"
#include "service/hub/hub.h"

#include <QDateTime>

#include <cstring>
#include <QtTest>

using namespace ilive;

namespace {
constexpr quint32 kRoom = 3301;
const QString kStudent = QStringLiteral("学生_张三");
const QString kTeacher = QStringLiteral("老师_李四");

QByteArray greyI420(int w, int h, char y) {
  QByteArray f(hubproto::i420Size(w, h), '\x80');
  std::memset(f.data(), y, static_cast<size_t>(w * h));
  return f;
}
} // namespace

class TestLiveSdk : public QObject {
  Q_OBJECT
private:
  Hub *hub = nullptr;
  Teacher *teacher = nullptr;
  Recorder rec;
  FrameRecorder local;
  FrameRecorder remote;

  iLive *sdk() { return GetILive(); }

  bool studentLogin(const QString &sig) {
    rec.reset();
    const QByteArray user = kStudent.toUtf8();
    const QByteArray s = sig.toUtf8();
    sdk()->login(user.constData(), s.constData(), Recorder::succ, Recorder::err, &rec);
    return rec.wait();
  }
  bool studentJoin(const char *role = "Guest") {
    RoomOption option;
    option.roomId = kRoom;
    option.controlRole = role;
    setGrant(option, kStudent, QLatin1String(role));
    option.connectionLost = Recorder::connectionLost;
    option.memberStatus = Recorder::memberStatus;
    option.quality = Recorder::quality;
    option.data = &rec;
    rec.reset();
    sdk()->joinRoom(option, Recorder::succ, Recorder::err, &rec);
    return rec.wait() && rec.answer.ok;
  }
  bool call(std::function<void()> fn) {
    rec.reset();
    fn();
    return rec.wait();
  }

private slots:
  void initTestCase() {
    ilivesdk::LinkResume::setDefaultPolicy(100, 1500); // a link that stays away is given up soon
    QCOMPARE(sdk()->init(1400000000, 36862, true), 0);
    QCOMPARE(sdk()->init(1400000000, 36862, true), 0);
    sdk()->setForceOfflineCallback([] { ++forceOfflineCalls; forceOfflineOnGui = QThread::currentThread() == QCoreApplication::instance()->thread(); });
    sdk()->setLocalVideoCallback(FrameRecorder::onFrame, &local);
    sdk()->setRemoteVideoCallback(FrameRecorder::onFrame, &remote);
    sdk()->setDeviceOperationCallback(Recorder::deviceOp, &rec);
  }

  void init() {
    hub = new Hub(kSdkTestSecret);
    sdk::useInProcessHub(hub);
    teacher = new Teacher(std::make_unique<sdk::InProcessTransport>(hub));
    QCOMPARE(teacher->login(kTeacher), 0);
    QCOMPARE(teacher->join(kRoom), 0);
    rec = Recorder();
    local.clear();
    remote.clear();
    forceOfflineCalls = 0;
    sdk()->setVideoColorFormat(COLOR_FORMAT_I420);
  }

  void cleanup() {
    sdk()->closeCamera();
    call([this] { sdk()->logout(Recorder::succ, Recorder::err, &rec); });
    delete teacher;
    delete hub;
    sdk::setHubTransportFactory({});
  }

  void cleanupTestCase() {
    sdk()->release(nullptr, nullptr, nullptr);
    rec.reset();
    sdk()->login("x", "y", Recorder::succ, Recorder::err, &rec);
    QVERIFY(rec.wait());
    QCOMPARE(rec.answer.code, int(ERR_NOT_INITIALISED));
  }

  void signInRefusesBadSignaturesOnTheGuiThread() {
    QVERIFY(studentLogin(QStringLiteral("v1.99999999999.forged")));
    QCOMPARE(rec.answer.code, int(ERR_SIG_INVALID));
    QCOMPARE(rec.answer.module, QStringLiteral("HUB"));
    QVERIFY(!rec.answer.desc.isEmpty());
    QVERIFY(rec.answer.onGuiThread);
    QVERIFY(studentLogin(testSig(kStudent, -10)));
    QCOMPARE(rec.answer.code, int(ERR_SIG_EXPIRED));
    QVERIFY(!hub->isOnline(kStudent));
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(rec.answer.ok);
    QVERIFY(rec.answer.onGuiThread);
    QVERIFY(hub->isOnline(kStudent));
    QVERIFY(studentLogin(testSig(kStudent)));
    QCOMPARE(rec.answer.code, int(ERR_ALREADY));
  }

  void operationsBeforeSignInFail() {
    RoomOption option;
    option.roomId = kRoom;
    QVERIFY(call([&] { sdk()->joinRoom(option, Recorder::succ, Recorder::err, &rec); }));
    QCOMPARE(rec.answer.code, int(ERR_NOT_LOGGED_IN));
    Message m;
    m.addElem(new MessageTextElem("hi"));
    QVERIFY(call([&] { sdk()->sendGroupMessage(m, Recorder::succ, Recorder::err, &rec); }));
    QCOMPARE(rec.answer.code, int(ERR_NOT_LOGGED_IN));
    QVERIFY(call([&] { sdk()->logout(Recorder::succ, Recorder::err, &rec); }));
    QCOMPARE(rec.answer.code, int(ERR_NOT_LOGGED_IN));
  }

  void joinReportsMembersAndTheirStreams() {
    QVERIFY(!teacher->publish(hubproto::Source::Camera).isEmpty());
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(studentJoin());
    QVERIFY(hub->isInRoom(kStudent, kRoom));
    QTRY_VERIFY(rec.sawMember(MEMBER_ENTER, kTeacher));
    QTRY_VERIFY(rec.sawMember(MEMBER_HAS_CAMERA, kTeacher));
    QVERIFY(rec.callbacksOnGui);
    QTRY_COMPARE(teacher->memberEvents.size(), 1);
    QCOMPARE(teacher->memberEvents[0], qMakePair(QStringLiteral("enter"), kStudent));
    QVERIFY(studentJoin() == false);
    QCOMPARE(rec.answer.code, int(ERR_ALREADY));
    QVERIFY(call([this] { sdk()->quitRoom(Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    QTRY_VERIFY(!hub->isInRoom(kStudent, kRoom));
  }

  // The classroom hands the sign-in's authBuffer to the join; a wrong one is the join's failure.
  void joinNeedsTheRoomGrantOfTheSignIn() {
    QVERIFY(studentLogin(testSig(kStudent)));
    const auto joinWith = [this](const QString &grant) {
      RoomOption option;
      option.roomId = kRoom;
      option.controlRole = "Guest";
      const QByteArray bytes = grant.toUtf8();
      option.authBuffer = String(bytes.constData(), size_t(bytes.size()));
      return call([&] { sdk()->joinRoom(option, Recorder::succ, Recorder::err, &rec); }) ? rec.answer.code : -1;
    };
    QCOMPARE(joinWith(QString()), int(hubproto::GrantMissing));
    QCOMPARE(joinWith(testGrant(kStudent, kRoom + 1)), int(hubproto::GrantOtherRoom));
    QCOMPARE(joinWith(testGrant(kTeacher, kRoom, QStringLiteral("LiveMaster"))), int(hubproto::GrantOtherUser));
    QCOMPARE(joinWith(testGrant(kStudent, kRoom, QStringLiteral("Guest"), "another service")), int(hubproto::GrantForged));
    QVERIFY(!hub->isInRoom(kStudent, kRoom));
    QCOMPARE(joinWith(testGrant(kStudent, kRoom)), 0);
    QVERIFY(hub->isInRoom(kStudent, kRoom));
  }

  // The teacher's typed calls: a student's own grant is refused, the teacher's lets the
  // student publish, the revoke ends the stream for everyone watching.
  void teacherGrantsAndRevokesTheStage() {
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(studentJoin());
    Teacher classmate(std::make_unique<sdk::InProcessTransport>(hub));
    QCOMPARE(classmate.login(QStringLiteral("classmate")), 0);
    QCOMPARE(classmate.join(kRoom, QStringLiteral("Guest")), 0);
    const auto stageCall = [](Teacher &who, bool grant, const QString &userId) {
      return who.call([&](sdk::HubClient &c, sdk::HubReplyFn done) {
        grant ? c.grantStage(userId, done) : c.revokeStage(userId, done);
      }).code;
    };
    QCOMPARE(stageCall(classmate, true, kStudent), int(hubproto::TeacherOnly));
    QCOMPARE(stageCall(classmate, true, QStringLiteral("classmate")), int(hubproto::TeacherOnly));
    QVERIFY(call([this] { sdk()->changeRole("LiveGuest", Recorder::succ, Recorder::err, &rec); }));
    QCOMPARE(rec.answer.code, int(hubproto::StageNotGranted));

    QCOMPARE(stageCall(*teacher, true, kStudent), 0);
    QVERIFY(call([this] { sdk()->changeRole("LiveGuest", Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    Vector<Pair<String, String>> cams;
    QCOMPARE(sdk()->getCameraList(cams), 0);
    QCOMPARE(sdk()->openCamera(cams.back().first.c_str()), 0);
    QVERIFY(call([&] { sdk()->startPushStream(PushStreamOption(), Recorder::pushSucc, Recorder::err, &rec); }));
    QVERIFY2(rec.answer.ok, qPrintable(rec.answer.desc));
    QTRY_VERIFY(teacher->streamEvents.contains(qMakePair(QStringLiteral("camera"), true)));

    QCOMPARE(stageCall(*teacher, false, kStudent), 0);
    QTRY_VERIFY(teacher->streamEvents.contains(qMakePair(QStringLiteral("camera"), false)));
    QTRY_VERIFY(classmate.memberEvents.contains(qMakePair(QStringLiteral("role"), kStudent)));
    const int framesAtRevoke = teacher->frames.size();
    QTest::qWait(300); // the camera still runs; its frames must not reach anyone
    QCOMPARE(teacher->frames.size(), framesAtRevoke);
    // Going down afterwards, as the classroom does, still completes.
    QVERIFY(call([this] { sdk()->changeRole("Guest", Recorder::succ, Recorder::err, &rec); }));
    QCOMPARE(rec.answer.code, int(ERR_ROLE_UNCHANGED));
    QCOMPARE(sdk()->closeCamera(), 0);
  }

  void teacherChatFacesAndCommandsReachTheImCallback() {
    ImRecorder im;
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(studentJoin());
    QVector<hubproto::Element> elems(4);
    elems[0].kind = hubproto::Element::Text;
    elems[0].text = QStringLiteral("同学们好");
    elems[1].kind = hubproto::Element::Face;
    elems[1].faceIndex = 23;
    elems[2].kind = hubproto::Element::Custom;
    elems[2].data = QByteArray("{\n    \"actionParam\": \"\\\"引号\\\"\",\n    \"userAction\": 2103\n}\n");
    elems[2].ext = QStringLiteral("LiveNotification");
    elems[3].kind = hubproto::Element::Text;
    elems[3].text = QString(12000, QLatin1Char('x')); // longer than any fixed buffer, within the hub's chat cap
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    hubproto::Conversation group{hubproto::Conversation::Group, QString::number(kRoom)};
    QCOMPARE(teacher->call([&](sdk::HubClient &c, sdk::HubReplyFn done) { c.sendMessage(group, elems, nullptr, done); }).code, 0);
    QTRY_COMPARE(im.count(), 1);
    const ReadMessage m = im.take().first();
    QVERIFY(!m.onGuiThread);
    QCOMPARE(m.sender, kTeacher);
    QVERIFY(m.time >= before && m.time <= QDateTime::currentSecsSinceEpoch());
    QCOMPARE(m.convType, int(im::IM_CONV_GROUP));
    QCOMPARE(m.convPeer, QByteArray::number(kRoom));
    QVERIFY(!m.hasPush);
    QCOMPARE(m.elems.size(), 4);
    QCOMPARE(m.elems[0].type, int(im::IM_ELEM_TEXT));
    QCOMPARE(QString::fromUtf8(m.elems[0].content), QStringLiteral("同学们好"));
    QCOMPARE(m.elems[0].faceIndex, -1);
    QCOMPARE(m.elems[1].type, int(im::IM_ELEM_FACE));
    QCOMPARE(m.elems[1].faceIndex, 23);
    QCOMPARE(m.elems[2].type, int(im::IM_ELEM_CUSTOM));
    QCOMPARE(m.elems[2].content, elems[2].data);
    QCOMPARE(m.elems[3].content.size(), 12000);
    QVERIFY(!im.overlapped());
  }

  void oneToOneCommandFromTheTeacher() {
    ImRecorder im;
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(studentJoin());
    QVector<hubproto::Element> elems(1);
    elems[0].kind = hubproto::Element::Custom;
    elems[0].data = "{\"userAction\":2049}";
    elems[0].ext = QStringLiteral("LiveNotification");
    hubproto::Conversation c2c{hubproto::Conversation::C2C, kStudent};
    const QString push = QStringLiteral("ext");
    QCOMPARE(teacher->call([&](sdk::HubClient &c, sdk::HubReplyFn done) { c.sendMessage(c2c, elems, &push, done); }).code, 0);
    QTRY_COMPARE(im.count(), 1);
    const ReadMessage m = im.take().first();
    QCOMPARE(m.convType, int(im::IM_CONV_C2C));
    QCOMPARE(QString::fromUtf8(m.convPeer), kTeacher);
    QVERIFY(m.hasPush);
    QCOMPARE(m.pushExt, QByteArray("ext"));
  }

  void studentMessagesReachTheTeacher() {
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(studentJoin());
    Message chat;
    chat.addElem(new MessageTextElem("a"));
    chat.addElem(new MessageTextElem("\r\n"));
    chat.addElem(new MessageFaceElem(7));
    chat.addElem(new MessageCustomElem("{\"userAction\":1}", "LiveNotification"));
    QVERIFY(call([&] { sdk()->sendGroupMessage(chat, Recorder::succ, Recorder::err, &rec); }));
    QVERIFY2(rec.answer.ok, qPrintable(rec.answer.desc));
    QVERIFY(rec.answer.onGuiThread);
    QTRY_COMPARE(teacher->messages.size(), 1);
    const hubproto::ImMessage got = teacher->messages.takeFirst();
    QCOMPARE(got.from, kStudent);
    QCOMPARE(got.elems.size(), 4);
    QCOMPARE(got.elems[1].text, QStringLiteral("\r\n"));
    QCOMPARE(got.elems[2].kind, hubproto::Element::Face);
    QCOMPARE(got.elems[2].faceIndex, 7);
    QCOMPARE(got.elems[3].kind, hubproto::Element::Custom);
    QCOMPARE(got.elems[3].ext, QStringLiteral("LiveNotification"));
    Message command;
    command.addElem(new MessageCustomElem("{\"userAction\":2060}", "LiveNotification"));
    const QByteArray to = kTeacher.toUtf8();
    QVERIFY(call([&] { sdk()->sendC2CMessage(to.constData(), command, Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    QTRY_COMPARE(teacher->messages.size(), 1);
    QCOMPARE(teacher->messages[0].conv.type, hubproto::Conversation::C2C);
    QVERIFY(call([&] { sdk()->sendC2CMessage("nobody", command, Recorder::succ, Recorder::err, &rec); }));
    QCOMPARE(rec.answer.code, int(ERR_PEER_OFFLINE));
  }

  void imLibrarySendsWhiteboardDataWithPushExtension() {
    ImRecorder im;
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(studentJoin());
    QCOMPARE(teacher->grantStage(kStudent), 0); // the board is the teacher's and the granted students'
    im::ConvHandle conv = im::createConversation();
    QCOMPARE(im::getConversation(conv, im::IM_CONV_GROUP, QByteArray::number(kRoom).constData()), int(im::IM_OK));
    im::MessageHandle msg = im::createMessage();
    im::ElemHandle file = im::createElem(im::IM_ELEM_FILE);
    const QByteArray envelope(9000, 'w');
    im::setFileData(file, envelope.constData(), static_cast<uint32_t>(envelope.size()));
    im::setFileName(file, "TXWhiteBoardExt", 15);
    im::addElem(msg, file);
    im::destroyElem(file);
    im::OfflinePushHandle push = im::createOfflinePush();
    im::setOfflinePushExt(push, "TXWhiteBoardExt", 15);
    im::setMessageOfflinePush(msg, push);
    im::destroyOfflinePush(push);
    static std::atomic<int> sent{0};
    sent = 0;
    im::CommCallback cb;
    cb.onSuccess = [](void *) { sent = 1; };
    cb.onError = [](int code, const char *, void *) { sent = -code; };
    QCOMPARE(im::sendMessage(conv, msg, &cb), int(im::IM_OK));
    im::destroyMessage(msg);
    im::destroyConversation(conv);
    QTRY_COMPARE(sent.load(), 1);
    QTRY_COMPARE(teacher->messages.size(), 1);
    const hubproto::ImMessage got = teacher->messages[0];
    QVERIFY(got.hasOfflinePush);
    QCOMPARE(got.offlinePushExt, QStringLiteral("TXWhiteBoardExt"));
    QCOMPARE(got.elems[0].kind, hubproto::Element::File);
    QCOMPARE(got.elems[0].data, envelope);
    // The teacher's copy comes back to the student's IM library as a file to fetch.
    const QString pushExt = got.offlinePushExt;
    QCOMPARE(teacher->call([&](sdk::HubClient &c, sdk::HubReplyFn done) {
      c.sendMessage({hubproto::Conversation::Group, QString::number(kRoom)}, got.elems, &pushExt, done);
    }).code, 0);
    QTRY_COMPARE(im.files().size(), 1);
    QCOMPARE(im.files()[0], envelope);
    const ReadMessage m = im.take().first();
    QCOMPARE(m.elems[0].type, int(im::IM_ELEM_FILE));
    QCOMPARE(m.elems[0].fileName, QByteArray("TXWhiteBoardExt"));
    QCOMPARE(m.pushExt, QByteArray("TXWhiteBoardExt"));
  }

  void teacherCameraFramesArriveOnTheMediaThread() {
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(studentJoin());
    QVERIFY(!teacher->publish(hubproto::Source::Camera).isEmpty());
    teacher->sendFrame(hubproto::Source::Camera, greyI420(64, 48, '\x70'), 64, 48);
    QTRY_VERIFY(remote.count() > 0);
    FrameRecorder::Seen f = remote.last();
    QCOMPARE(QString::fromUtf8(f.identifier), kTeacher);
    QVERIFY(!f.onGuiThread);
    QCOMPARE(f.format, int(COLOR_FORMAT_I420));
    QCOMPARE(f.width, 64);
    QCOMPARE(f.height, 48);
    QCOMPARE(f.source, int(VIDEO_SRC_CAMERA));
    // Decoded from VP8: a flat picture comes back within a few levels of luma; the first
    // keyframe's coarse chroma step may round a flat chroma plane by up to 16.
    QCOMPARE(f.data.size(), greyI420(64, 48, '\x70').size());
    for (int i = 0; i < f.data.size(); ++i)
      QVERIFY2(qAbs(int(uchar(f.data[i])) - 0x70) <= (i < 64 * 48 ? 4 : 16),
               qPrintable(QStringLiteral("byte %1 is %2").arg(i).arg(int(uchar(f.data[i])))));
    sdk()->setVideoColorFormat(COLOR_FORMAT_BGR24);
    remote.clear();
    teacher->sendFrame(hubproto::Source::Camera, greyI420(64, 48, '\x70'), 64, 48);
    QTRY_VERIFY(remote.count() > 0);
    f = remote.last();
    QCOMPARE(f.format, int(COLOR_FORMAT_BGR24));
    QCOMPARE(f.data.size(), 64 * 48 * 3);
    // Neutral chroma gives grey: the three channels agree.
    const uchar *px = reinterpret_cast<const uchar *>(f.data.constData()) + (20 * 64 + 30) * 3;
    QVERIFY(qAbs(px[0] - px[1]) <= 2 && qAbs(px[1] - px[2]) <= 2);
    QVERIFY(px[0] > 80 && px[0] < 120);
    sdk()->stopRemoteMedia();
    QTest::qWait(50);
    remote.clear();
    teacher->sendFrame(hubproto::Source::Camera, greyI420(64, 48, '\x70'), 64, 48);
    QTest::qWait(200);
    QCOMPARE(remote.count(), 0);
  }

  void screenStreamOnlyAfterRequest() {
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(studentJoin());
    Vector<Pair<String, VideoSrc>> wanted;
    const QByteArray t = kTeacher.toUtf8();
    wanted.push_back({String(t.constData()), VIDEO_SRC_SCREEN});
    QVERIFY(call([&] { sdk()->requestRemoteStreams(wanted, Recorder::succ, Recorder::err, &rec); }));
    QCOMPARE(rec.answer.code, int(ERR_STREAM_NOT_FOUND));
    QVERIFY(!teacher->publish(hubproto::Source::Screen).isEmpty());
    teacher->sendFrame(hubproto::Source::Screen, greyI420(32, 32, 1), 32, 32);
    QTest::qWait(100);
    QCOMPARE(remote.count(), 0);
    QVERIFY(call([&] { sdk()->requestRemoteStreams(wanted, Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    QTRY_VERIFY(rec.sawMember(MEMBER_HAS_SCREEN, kTeacher));
    teacher->sendFrame(hubproto::Source::Screen, greyI420(32, 32, 1), 32, 32);
    QTRY_VERIFY(remote.count() > 0);
    QCOMPARE(remote.last().source, int(VIDEO_SRC_SCREEN));
  }

  void goingOnStagePublishesTheTestPatternCamera() {
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(studentJoin());
    Vector<Pair<String, String>> cams;
    QCOMPARE(sdk()->getCameraList(cams), 0);
    QVERIFY(cams.size() >= 1);
    QCOMPARE(QString::fromUtf8(cams.back().first.c_str()), QStringLiteral("tarnwick:test-pattern"));
    QCOMPARE(sdk()->openCamera("no such camera"), int(ERR_NO_DEVICE));
    QCOMPARE(sdk()->openCamera(cams.back().first.c_str()), 0);
    QTRY_VERIFY(rec.deviceOps.contains(qMakePair(int(DEVICE_OP_OPEN_CAMERA), 0)));
    QTRY_VERIFY(local.count() > 0);
    QCOMPARE(QString::fromUtf8(local.last().identifier), kStudent);
    QCOMPARE(local.last().width, ilivesdk::TestPatternCamera::kWidth);
    // Listeners do not publish.
    PushStreamOption push;
    QVERIFY(call([&] { sdk()->startPushStream(push, Recorder::pushSucc, Recorder::err, &rec); }));
    QCOMPARE(rec.answer.code, int(ERR_NOT_ALLOWED));
    QCOMPARE(teacher->grantStage(kStudent), 0);
    QVERIFY(call([this] { sdk()->changeRole("LiveGuest", Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    QVERIFY(call([this] { sdk()->changeRole("LiveGuest", Recorder::succ, Recorder::err, &rec); }));
    QCOMPARE(rec.answer.code, int(ERR_ROLE_UNCHANGED));
    QVERIFY(call([&] { sdk()->startPushStream(push, Recorder::pushSucc, Recorder::err, &rec); }));
    QVERIFY2(rec.answer.ok, qPrintable(rec.answer.desc));
    const uint64_t channel = rec.answer.channel;
    QVERIFY(channel != 0);
    QTRY_VERIFY(teacher->pictures.size() >= 2);
    const hubproto::MediaFrame f = teacher->pictures.last();
    QCOMPARE(QString::fromUtf8(f.userId), kStudent);
    QCOMPARE(f.width, quint16(640));
    QCOMPARE(f.height, quint16(480));
    QCOMPARE(teacher->frames.last().format, hubproto::MediaFrame::Vp8);
    // A real picture: the first bar is white (Y 235), the last is black (Y 16), give or take
    // what VP8 rounds.
    QVERIFY(qAbs(uchar(f.payload[10 * 640 + 5]) - 235) <= 6);
    QVERIFY(qAbs(uchar(f.payload[10 * 640 + 635]) - 16) <= 6);
    QVERIFY(teacher->streamEvents.contains(qMakePair(QStringLiteral("camera"), true)));
    QVERIFY(call([&] { sdk()->stopPushStream(channel, Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    QTRY_VERIFY(teacher->streamEvents.contains(qMakePair(QStringLiteral("camera"), false)));
    QVERIFY(call([&] { sdk()->stopPushStream(channel, Recorder::succ, Recorder::err, &rec); }));
    QCOMPARE(rec.answer.code, int(ERR_STREAM_NOT_FOUND));
    QCOMPARE(sdk()->closeCamera(), 0);
    QTRY_VERIFY(rec.deviceOps.contains(qMakePair(int(DEVICE_OP_CLOSE_CAMERA), 0)));
    QVERIFY(rec.callbacksOnGui);
  }

  void secondSignInElsewhereKicksTheStudent() {
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(studentJoin());
    Teacher elsewhere(std::make_unique<sdk::InProcessTransport>(hub));
    QCOMPARE(elsewhere.login(kStudent), 0);
    QTRY_COMPARE(forceOfflineCalls.load(), 1);
    QVERIFY(forceOfflineOnGui);
    QCOMPARE(rec.lost, 0); // a kick is not a lost connection
    QVERIFY(hub->isInRoom(kStudent, kRoom)); // the seat waits for the other connection
    // Signed out now: the SDK can sign in again (and kicks the other one in turn).
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(rec.answer.ok);
  }

  void lostConnectionIsReported() {
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(studentJoin());
    delete teacher;
    teacher = nullptr;
    delete hub; // the hub goes away under the student, and the link cannot come back to it
    hub = new Hub(kSdkTestSecret);
    teacher = new Teacher(std::make_unique<sdk::InProcessTransport>(hub));
    QTRY_COMPARE(rec.lost, int(ERR_CONNECTION_LOST));
    QVERIFY(!rec.lostText.isEmpty());
    QVERIFY(rec.callbacksOnGui);
    QVERIFY(call([this] { sdk()->quitRoom(Recorder::succ, Recorder::err, &rec); }));
    QCOMPARE(rec.answer.code, int(ERR_NOT_IN_ROOM));
  }

  // Release closes the link under calls still waiting for the hub: each is answered, and the SDK
  // can be started again afterwards.
  void releaseAnswersASignInOrOutStillPending() {
    QVERIFY(studentLogin(testSig(kStudent)));
    rec.reset();
    sdk()->logout(Recorder::succ, Recorder::err, &rec);
    sdk()->release(nullptr, nullptr, nullptr);
    QVERIFY(rec.wait());
    QVERIFY(rec.answer.ok); // signed out either way
    QCOMPARE(sdk()->init(1400000000, 36862, true), 0);
    rec.reset();
    const QByteArray user = kStudent.toUtf8();
    const QByteArray sig = testSig(kStudent).toUtf8();
    sdk()->login(user.constData(), sig.constData(), Recorder::succ, Recorder::err, &rec);
    sdk()->release(nullptr, nullptr, nullptr);
    QVERIFY(rec.wait());
    QCOMPARE(rec.answer.code, int(ERR_CONNECTION_LOST));
    QCOMPARE(sdk()->init(1400000000, 36862, true), 0);
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(rec.answer.ok);
  }

  void qualityIsReportedWhileInTheRoom() {
    QVERIFY(studentLogin(testSig(kStudent)));
    QVERIFY(studentJoin());
    QTRY_VERIFY_WITH_TIMEOUT(rec.qualityReports >= 1, 6000);
    QVERIFY(rec.lastQuality.lossRateSend <= 1000);
    QCOMPARE(rec.lastQuality.lossRateRecv, uint16_t(0));
  }

public:
  static std::atomic<int> forceOfflineCalls;
  static std::atomic<bool> forceOfflineOnGui;
};

std::atomic<int> TestLiveSdk::forceOfflineCalls{0};
std::atomic<bool> TestLiveSdk::forceOfflineOnGui{false};

QTEST_GUILESS_MAIN(TestLiveSdk)
#include "test_livesdk.moc"

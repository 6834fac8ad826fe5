// The same class exchange as the in-process tests, over WebSocket to a hub server on an
// ephemeral loopback port, reached through the deployment's hub address.
#include "imrecorder.h"
#include "sdkfixture.h"

#include "core/deployment.h"
#include "sdk/live/ilive.h"
#include "sdk/net/websockettransport.h"
#include "service/hub/hub.h"
#include "service/hub/hubwebsocketserver.h"

#include <QtTest>

using namespace ilive;

namespace {
constexpr quint32 kRoom = 77;
const QString kStudent = QStringLiteral("学生_ws");
const QString kTeacher = QStringLiteral("老师_ws");
} // namespace

class TestLiveWebSocket : public QObject {
  Q_OBJECT
private:
  Hub *hub = nullptr;
  HubWebSocketServer *server = nullptr;
  Recorder rec;
  FrameRecorder remote;
  QString url;

  bool call(std::function<void()> fn) {
    rec.reset();
    fn();
    return rec.wait();
  }
  bool login(const QString &sig) {
    const QByteArray user = kStudent.toUtf8();
    const QByteArray s = sig.toUtf8();
    return call([&] { GetILive()->login(user.constData(), s.constData(), Recorder::succ, Recorder::err, &rec); });
  }

private slots:
  void initTestCase() {
    hub = new Hub(kSdkTestSecret);
    server = new HubWebSocketServer(hub);
    QVERIFY(server->listen(QHostAddress::LocalHost, 0));
    url = QStringLiteral("ws://127.0.0.1:%1").arg(server->serverPort());
    Deployment d = Deployment::instance();
    d.hubUrl = url;
    Deployment::setInstance(d);
    QCOMPARE(GetILive()->init(1400000000, 36862, true), 0);
    GetILive()->setRemoteVideoCallback(FrameRecorder::onFrame, &remote);
  }

  void cleanupTestCase() {
    GetILive()->release(nullptr, nullptr, nullptr);
    delete server;
    delete hub;
  }

  void cleanup() {
    GetILive()->setChannelMode(0, "");
    call([this] { GetILive()->logout(Recorder::succ, Recorder::err, &rec); });
  }

  void unreachableHubFailsTheSignIn() {
    GetILive()->setChannelMode(1, "127.0.0.1:1");
    QVERIFY(login(testSig(kStudent)));
    QCOMPARE(rec.answer.code, int(ERR_CONNECT));
    QCOMPARE(rec.answer.module, QStringLiteral("SDK"));
  }

  void classExchangeOverTheSocket() {
    ImRecorder im;
    Teacher teacher(std::make_unique<sdk::WebSocketTransport>(QUrl(url)));
    QCOMPARE(teacher.login(kTeacher), 0);
    QCOMPARE(teacher.join(kRoom), 0);
    QVERIFY(login(testSig(kStudent)));
    QVERIFY2(rec.answer.ok, qPrintable(rec.answer.desc));
    RoomOption option;
    option.roomId = kRoom;
    option.memberStatus = Recorder::memberStatus;
    option.data = &rec;
    QVERIFY(call([&] { GetILive()->joinRoom(option, Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    QTRY_VERIFY(hub->isInRoom(kStudent, kRoom));

    QVector<hubproto::Element> elems(3);
    elems[0].text = QStringLiteral("请打开摄像头");
    elems[1].kind = hubproto::Element::Face;
    elems[1].faceIndex = 5;
    elems[2].kind = hubproto::Element::Custom;
    elems[2].data = "{\n    \"actionParam\": \"\",\n    \"userAction\": 2103\n}\n";
    elems[2].ext = QStringLiteral("LiveNotification");
    QCOMPARE(teacher.call([&](sdk::HubClient &c, sdk::HubReplyFn done) {
      c.sendMessage({hubproto::Conversation::Group, QString::number(kRoom)}, elems, nullptr, done);
    }).code, 0);
    QTRY_COMPARE(im.count(), 1);
    const ReadMessage m = im.take().first();
    QCOMPARE(m.sender, kTeacher);
    QCOMPARE(m.elems.size(), 3);
    QCOMPARE(m.elems[0].type, 1);
    QCOMPARE(QString::fromUtf8(m.elems[0].content), QStringLiteral("请打开摄像头"));
    QCOMPARE(m.elems[1].type, 6);
    QCOMPARE(m.elems[1].faceIndex, 5);
    QCOMPARE(m.elems[2].type, 5);
    QCOMPARE(m.elems[2].content, elems[2].data);
    QVERIFY(m.time > 0);

    Message reply;
    reply.addElem(new MessageCustomElem("{\"userAction\":2104}", "LiveNotification"));
    QVERIFY(call([&] { GetILive()->sendGroupMessage(reply, Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    QTRY_COMPARE(teacher.messages.size(), 1);
    QCOMPARE(teacher.messages[0].from, kStudent);

    QVERIFY(!teacher.publish(hubproto::Source::Camera).isEmpty());
    teacher.sendFrame(hubproto::Source::Camera, QByteArray(hubproto::i420Size(320, 240), '\x20'), 320, 240);
    QTRY_VERIFY(remote.count() > 0);
    QCOMPARE(QString::fromUtf8(remote.last().identifier), kTeacher);
    QCOMPARE(remote.last().width, 320);
  }

  void kickOverTheSocket() {
    static std::atomic<int> kicked{0};
    GetILive()->setForceOfflineCallback([] { ++kicked; });
    QVERIFY(login(testSig(kStudent)));
    QVERIFY(rec.answer.ok);
    Teacher other(std::make_unique<sdk::WebSocketTransport>(QUrl(url)));
    QCOMPARE(other.login(kStudent), 0);
    QTRY_COMPARE(kicked.load(), 1);
  }
};

QTEST_GUILESS_MAIN(TestLiveWebSocket)
#include "test_livewebsocket.moc"

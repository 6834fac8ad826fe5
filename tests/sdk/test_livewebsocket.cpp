// The same class exchange as the in-process tests, over WebSocket to a hub server on an
// ephemeral loopback port, reached through the deployment's hub address.
#include "imrecorder.h"
#include "sdkfixture.h"

#include "sdk/live/ilive.h"
#include "sdk/net/websockettransport.h"
#include "service/hub/hub.h"
#include "service/hub/hubwebsocketserver.h"
#include "protocol/usersig.h"
#include "support/testenv.h"

#include <QFileInfo>
#include <QProcess>

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
    GetILive()->setHubAddress(url.toUtf8().constData());
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
    setGrant(option, kStudent);
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

  // The hub as tarnwick-local serves it, when that program has been built beside the tests.
  void chatThroughTarnwickLocal() {
    const QString program = testenv::binDir() + QStringLiteral("/tarnwick-local");
    if (!QFileInfo(program).isExecutable())
      QSKIP("tarnwick-local is not built in this build directory");
    const QByteArray secret("secret of the tarnwick-local test");
    QProcess service;
    service.start(program, {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--hub-port"),
                            QStringLiteral("0"), QStringLiteral("--secret"), QString::fromUtf8(secret)});
    QVERIFY(service.waitForStarted(5000));
    QVERIFY(QTest::qWaitFor([&] { return service.canReadLine(); }, 10000));
    const QString first = QString::fromUtf8(service.readLine()).trimmed();
    const int at = first.indexOf(QStringLiteral("hub="));
    QVERIFY2(first.startsWith(QStringLiteral("tarnwick-local")) && at > 0, qPrintable(first));
    const QString hubPort = first.mid(at + 4).section(QLatin1Char(' '), 0, 0);
    QVERIFY(hubPort.toInt() > 0);
    const QByteArray host = QStringLiteral("127.0.0.1:%1").arg(hubPort).toUtf8();
    GetILive()->setChannelMode(1, host.constData());
    QVERIFY(login(usersig::issueFor(secret, kStudent, 600)));
    QVERIFY2(rec.answer.ok, qPrintable(rec.answer.desc));
    RoomOption option;
    option.roomId = 9001;
    setGrant(option, kStudent, QStringLiteral("Guest"), secret);
    QVERIFY(call([&] { GetILive()->joinRoom(option, Recorder::succ, Recorder::err, &rec); }));
    QVERIFY2(rec.answer.ok, qPrintable(rec.answer.desc));
    ImRecorder im;
    sdk::HubClient teacher(std::make_unique<sdk::WebSocketTransport>(QUrl(QStringLiteral("ws://") + QString::fromUtf8(host))));
    int step = -1;
    teacher.login(kTeacher, usersig::issueFor(secret, kTeacher, 600), [&](const sdk::HubReply &r) {
      step = r.code;
      if (r.code == 0)
        teacher.join(9001, QStringLiteral("LiveMaster"), testGrant(kTeacher, 9001, QStringLiteral("LiveMaster"), secret), [&](const sdk::HubReply &j) {
          QVector<hubproto::Element> hello(1);
          hello[0].text = QStringLiteral("欢迎");
          teacher.sendMessage({hubproto::Conversation::Group, QStringLiteral("9001")}, hello, nullptr,
                              [&](const sdk::HubReply &m) { step = j.code == 0 ? 100 + m.code : j.code; });
        });
    });
    QTRY_COMPARE(step, 100);
    QTRY_COMPARE(im.count(), 1);
    QCOMPARE(QString::fromUtf8(im.take().first().elems[0].content), QStringLiteral("欢迎"));
    call([this] { GetILive()->logout(Recorder::succ, Recorder::err, &rec); });
    service.terminate();
    QVERIFY(service.waitForFinished(10000));
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

// The hub served over WebSocket on an ephemeral loopback port.
#include "hubfixture.h"

#include "service/hub/hubwebsocketserver.h"
#include "service/hub/websocketpeer.h"
#include "protocol/protocol.h"
#include "protocol/usersig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QWebSocket>
#include <QtTest>
#include <QtEndian>
#include <memory>
#include <vector>

namespace {

class WsClient {
public:
  explicit WsClient(quint16 port, const QString &origin = QString()) : socket(origin) {
    QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString &t) {
      texts.append(QJsonDocument::fromJson(t.toUtf8()).object());
    });
    QObject::connect(&socket, &QWebSocket::binaryMessageReceived,
                     [this](const QByteArray &b) { frames.append(b); });
    socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(port)));
  }
  bool connected() { return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000); }
  // The server ended the connection (or never let it open).
  bool refused() { return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 5000); }
  QJsonObject request(QJsonObject body) {
    body.insert(QStringLiteral("id"), ++m_id);
    socket.sendTextMessage(QString::fromUtf8(hubproto::encode(body)));
    QJsonObject found;
    (void)QTest::qWaitFor([&] {
      for (int i = 0; i < texts.size(); ++i) {
        if (texts[i].value(QStringLiteral("id")).toInt() == m_id) {
          found = texts.takeAt(i);
          return true;
        }
      }
      return false;
    }, 5000);
    return found;
  }
  int login(const QString &user) {
    m_user = user;
    return request({{QStringLiteral("type"), QStringLiteral("login")}, {QStringLiteral("userId"), user},
                    {QStringLiteral("userSig"), usersig::issueFor(kTestSecret, user, 600)}})
        .value(QStringLiteral("code")).toInt(-1);
  }
  int join(int room, const QString &role) {
    return request({{QStringLiteral("type"), QStringLiteral("join")}, {QStringLiteral("roomId"), room},
                    {QStringLiteral("role"), role}, {QStringLiteral("authBuffer"), testGrant(m_user, quint32(room), role)}})
        .value(QStringLiteral("code")).toInt(-1);
  }
  QJsonObject waitFor(const QString &type) {
    QJsonObject found;
    (void)QTest::qWaitFor([&] {
      for (int i = 0; i < texts.size(); ++i) {
        if (texts[i].value(QStringLiteral("type")) == type) {
          found = texts.takeAt(i);
          return true;
        }
      }
      return false;
    }, 5000);
    return found;
  }

  QWebSocket socket;
  QList<QJsonObject> texts;
  QList<QByteArray> frames;

private:
  int m_id = 0;
  QString m_user;
};

} // namespace

class TestHubWebSocket : public QObject {
  Q_OBJECT
private:
  Hub *hub = nullptr;
  HubWebSocketServer *server = nullptr;

private slots:
  void init() {
    hub = new Hub(kTestSecret);
    server = new HubWebSocketServer(hub);
    QVERIFY2(server->listen(QHostAddress::LocalHost, 0), qPrintable(server->errorString()));
    QVERIFY(server->serverPort() != 0);
  }
  void cleanup() {
    delete server;
    delete hub;
  }

  void chatAndFramesOverTheSocket() {
    WsClient teacher(server->serverPort()), student(server->serverPort());
    QVERIFY(teacher.connected() && student.connected());
    QCOMPARE(teacher.login(QStringLiteral("老师")), 0);
    QCOMPARE(student.login(QStringLiteral("学生")), 0);
    QCOMPARE(teacher.join(12, QStringLiteral("LiveMaster")), 0);
    QCOMPARE(student.join(12, QStringLiteral("Guest")), 0);
    QVERIFY(hub->isInRoom(QStringLiteral("学生"), 12));
    const QJsonObject sent = teacher.request(
        {{QStringLiteral("type"), QStringLiteral("send")},
         {QStringLiteral("conv"), QJsonObject{{QStringLiteral("type"), QStringLiteral("group")}, {QStringLiteral("peer"), QStringLiteral("12")}}},
         {QStringLiteral("elems"), QJsonArray{QJsonObject{{QStringLiteral("type"), QStringLiteral("text")}, {QStringLiteral("text"), QStringLiteral("上课了")}}}}});
    QCOMPARE(sent.value(QStringLiteral("code")).toInt(-1), 0);
    const QJsonObject message = student.waitFor(QStringLiteral("message"));
    QCOMPARE(message.value(QStringLiteral("from")).toString(), QStringLiteral("老师"));
    QCOMPARE(message.value(QStringLiteral("elems")).toArray()[0].toObject().value(QStringLiteral("text")).toString(),
             QStringLiteral("上课了"));
    const QJsonObject pub = teacher.request({{QStringLiteral("type"), QStringLiteral("publish")}, {QStringLiteral("source"), QStringLiteral("camera")}});
    QCOMPARE(pub.value(QStringLiteral("code")).toInt(-1), 0);
    const hubproto::MediaFrame frame = testVideoFrame(320, 240, hubproto::Source::Camera);
    teacher.socket.sendBinaryMessage(hubproto::encodeFrame(frame));
    QVERIFY(QTest::qWaitFor([&] { return !student.frames.isEmpty(); }, 5000));
    hubproto::MediaFrame got;
    QString why;
    QVERIFY2(hubproto::decodeFrame(student.frames[0], &got, &why), qPrintable(why));
    QCOMPARE(QString::fromUtf8(got.userId), QStringLiteral("老师"));
    QCOMPARE(got.payload, frame.payload);
  }

  void badInputOverTheSocketKeepsTheConnection() {
    WsClient c(server->serverPort());
    QVERIFY(c.connected());
    c.socket.sendTextMessage(QStringLiteral("{not json"));
    QCOMPARE(c.waitFor(QStringLiteral("error")).value(QStringLiteral("code")).toInt(), int(hubproto::Malformed));
    c.socket.sendBinaryMessage(QByteArray(100, 'x'));
    QCOMPARE(c.waitFor(QStringLiteral("error")).value(QStringLiteral("code")).toInt(), int(hubproto::NotInRoom));
    c.socket.sendTextMessage(QString(hub->limits().maxTextBytes + 10, QLatin1Char(' ')));
    QCOMPARE(c.waitFor(QStringLiteral("error")).value(QStringLiteral("code")).toInt(), int(hubproto::TooLarge));
    QCOMPARE(c.request({{QStringLiteral("type"), QStringLiteral("ping")}}).value(QStringLiteral("code")).toInt(-1), 0);
  }

  void closingTheSocketLeavesTheRoom() {
    HubLimits limits = hub->limits();
    limits.seatHoldMs = 100; // nobody comes back for the seat
    hub->setLimits(limits);
    WsClient teacher(server->serverPort());
    QVERIFY(teacher.connected());
    QCOMPARE(teacher.login(QStringLiteral("t")), 0);
    QCOMPARE(teacher.join(3, QStringLiteral("LiveMaster")), 0);
    {
      WsClient student(server->serverPort());
      QVERIFY(student.connected());
      QCOMPARE(student.login(QStringLiteral("s")), 0);
      QCOMPARE(student.join(3, QStringLiteral("Guest")), 0);
      QCOMPARE(teacher.waitFor(QStringLiteral("member")).value(QStringLiteral("event")).toString(), QStringLiteral("enter"));
      student.socket.abort();
    }
    QCOMPARE(teacher.waitFor(QStringLiteral("member")).value(QStringLiteral("event")).toString(), QStringLiteral("exit"));
    QVERIFY(!hub->isOnline(QStringLiteral("s")));
  }

  void connectionsAreCapped_data() {
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("perAddress");
    QTest::newRow("in all") << 3 << 100;
    QTest::newRow("per address") << 100 << 3;
  }
  void connectionsAreCapped() {
    QFETCH(int, total);
    QFETCH(int, perAddress);
    HubServerLimits limits;
    limits.maxConnections = total;
    limits.maxConnectionsPerAddress = perAddress;
    server->setLimits(limits);
    std::vector<std::unique_ptr<WsClient>> clients;
    for (int i = 0; i < 3; ++i) {
      clients.push_back(std::make_unique<WsClient>(server->serverPort()));
      QVERIFY(clients.back()->connected());
    }
    WsClient extra(server->serverPort());
    QVERIFY(extra.refused());
    QCOMPARE(extra.socket.closeCode(), QWebSocketProtocol::CloseCodePolicyViolated);
    QCOMPARE(hub->connectionCount(), 3);
    // One goes, and there is room again.
    clients.front()->socket.close();
    QVERIFY(QTest::qWaitFor([&] { return server->connectionCount() == 2; }, 5000));
    WsClient next(server->serverPort());
    QVERIFY(next.connected());
    QCOMPARE(next.request({{QStringLiteral("type"), QStringLiteral("ping")}}).value(QStringLiteral("code")).toInt(-1), 0);
  }

  void onlyTheServicesPagesAndNativeClientsMayConnect() {
    const QString own = QStringLiteral("http://127.0.0.1:18080");
    server->setAllowedOrigins({own});
    WsClient foreign(server->serverPort(), QStringLiteral("http://evil.example"));
    QVERIFY(foreign.refused());
    WsClient lookalike(server->serverPort(), QStringLiteral("http://127.0.0.1:18081"));
    QVERIFY(lookalike.refused());
    QCOMPARE(hub->connectionCount(), 0);
    WsClient page(server->serverPort(), own), native(server->serverPort());
    QVERIFY(page.connected() && native.connected());
    QCOMPARE(native.login(QStringLiteral("n")), 0);
  }

  // A frame that declares a gigabyte and a half is refused from its header: the connection is
  // closed long before that much, or even the socket's message limit, has been taken.
  void anOversizedFrameIsRefusedBeforeItsPayload() {
    QTcpSocket tcp;
    tcp.connectToHost(QHostAddress::LocalHost, server->serverPort());
    QVERIFY(tcp.waitForConnected(5000));
    tcp.write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
              "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
    QByteArray answer;
    QVERIFY(QTest::qWaitFor([&] { answer += tcp.readAll(); return answer.contains("\r\n\r\n"); }, 5000));
    QVERIFY2(answer.startsWith("HTTP/1.1 101"), answer.constData());
    QByteArray head("\x82\xff", 2); // a final binary frame, masked, with a 64-bit length
    quint64 length = qToBigEndian<quint64>(quint64(1536) << 20);
    head.append(reinterpret_cast<const char *>(&length), 8);
    head.append("\x01\x02\x03\x04", 4);
    tcp.write(head);
    const QByteArray chunk(1 << 20, 'x');
    qint64 sent = 0;
    QElapsedTimer clock;
    clock.start();
    while (tcp.state() == QAbstractSocket::ConnectedState && sent < (128 << 20) && clock.elapsed() < 20000) {
      if (tcp.bytesToWrite() < chunk.size())
        sent += tcp.write(chunk);
      QTest::qWait(1);
    }
    QVERIFY2(tcp.state() != QAbstractSocket::ConnectedState, qPrintable(QStringLiteral("%1 MiB taken").arg(sent >> 20)));
    QVERIFY2(sent < qint64(WebSocketPeer::kSocketMessageLimit), qPrintable(QStringLiteral("%1 MiB taken").arg(sent >> 20)));
    QTRY_COMPARE(hub->connectionCount(), 0);
  }

  void kickedConnectionIsClosed() {
    WsClient first(server->serverPort()), second(server->serverPort());
    QVERIFY(first.connected() && second.connected());
    QCOMPARE(first.login(QStringLiteral("u")), 0);
    QCOMPARE(second.login(QStringLiteral("u")), 0);
    QCOMPARE(first.waitFor(QStringLiteral("kicked")).value(QStringLiteral("code")).toInt(), int(hubproto::Kicked));
    QVERIFY(QTest::qWaitFor([&] { return first.socket.state() == QAbstractSocket::UnconnectedState; }, 5000));
    QCOMPARE(hub->connectionCount(), 1);
  }
};

QTEST_GUILESS_MAIN(TestHubWebSocket)
#include "test_hubwebsocket.moc"

// The hub served over WebSocket on an ephemeral loopback port.
#include "hubfixture.h"

#include "service/hub/hubwebsocketserver.h"
#include "protocol/protocol.h"
#include "protocol/usersig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebSocket>
#include <QtTest>

namespace {

class WsClient {
public:
  explicit WsClient(quint16 port) {
    QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString &t) {
      texts.append(QJsonDocument::fromJson(t.toUtf8()).object());
    });
    QObject::connect(&socket, &QWebSocket::binaryMessageReceived,
                     [this](const QByteArray &b) { frames.append(b); });
    socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(port)));
  }
  bool connected() { return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000); }
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

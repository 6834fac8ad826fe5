// The hub session client against a scripted transport: requests and replies, waiting while
// connecting, timeouts, refused connections, lost links and whatever garbage the other side
// may send.
#include "sdk/net/hubclient.h"
#include "sdk/net/websockettransport.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QWebSocket>
#include <QWebSocketServer>
#include <QtTest>

namespace {

class ScriptedTransport : public sdk::HubTransport {
public:
  void open() override { ++opens; }
  void sendText(const QByteArray &json) override { sent.append(QJsonDocument::fromJson(json).object()); }
  void sendBinary(const QByteArray &frame) override { binary.append(frame); }
  void close() override { closedByClient = true; }
  qint64 bytesQueued() const override { return queued; }

  // Test side.
  void accept() { emit opened(); }
  void refuse() { emit closed(-1, QStringLiteral("refused")); }
  void drop() { emit closed(1006, QStringLiteral("gone")); }
  void deliver(const QByteArray &text) { emit textReceived(text); }
  void answer(int index, int code = 0, QJsonObject extra = QJsonObject()) {
    extra.insert(QStringLiteral("v"), hubproto::kVersion);
    extra.insert(QStringLiteral("type"), QStringLiteral("reply"));
    extra.insert(QStringLiteral("id"), sent[index].value(QStringLiteral("id")));
    extra.insert(QStringLiteral("code"), code);
    deliver(QJsonDocument(extra).toJson(QJsonDocument::Compact));
  }

  int opens = 0;
  qint64 queued = 0;
  bool closedByClient = false;
  QList<QJsonObject> sent;
  QList<QByteArray> binary;
};

struct Client {
  Client() {
    auto t = std::make_unique<ScriptedTransport>();
    transport = t.get();
    client = std::make_unique<sdk::HubClient>(std::move(t));
  }
  sdk::HubReplyFn record(QList<sdk::HubReply> *into) {
    return [into](const sdk::HubReply &r) { into->append(r); };
  }
  ScriptedTransport *transport;
  std::unique_ptr<sdk::HubClient> client;
};

} // namespace

class TestHubClient : public QObject {
  Q_OBJECT
private slots:
  void requestsWaitForTheLinkAndGetTheirReplies() {
    Client c;
    QList<sdk::HubReply> replies;
    c.client->login(QStringLiteral("u"), QStringLiteral("sig"), c.record(&replies));
    c.client->ping(c.record(&replies));
    QCOMPARE(c.transport->opens, 1);
    QVERIFY(c.transport->sent.isEmpty());
    c.transport->accept();
    QCOMPARE(c.transport->sent.size(), 2);
    QCOMPARE(c.transport->sent[0].value(QStringLiteral("type")).toString(), QStringLiteral("login"));
    QCOMPARE(c.transport->sent[0].value(QStringLiteral("v")).toInt(), hubproto::kVersion);
    // Answers may come in any order; each reaches its own request.
    c.transport->answer(1, 0, {{QStringLiteral("serverTime"), 5}});
    c.transport->answer(0, 70002);
    QCOMPARE(replies.size(), 2);
    QCOMPARE(replies[0].body.value(QStringLiteral("serverTime")).toInt(), 5);
    QCOMPARE(replies[1].code, 70002);
    c.transport->answer(0, 0); // a second answer to the same request is ignored
    QCOMPARE(replies.size(), 2);
  }

  void errorNoticeWithAnIdAnswersThatRequest() {
    Client c;
    QList<sdk::HubReply> replies;
    QSignalSpy errors(c.client.get(), &sdk::HubClient::hubError);
    c.client->ping(c.record(&replies));
    c.transport->accept();
    const qint64 id = c.transport->sent[0].value(QStringLiteral("id")).toInt();
    c.transport->deliver(QStringLiteral("{\"v\":4,\"type\":\"error\",\"id\":%1,\"code\":1007,\"desc\":\"too many\"}").arg(id).toUtf8());
    c.transport->deliver("{\"v\":4,\"type\":\"error\",\"code\":1012,\"desc\":\"bad frame\"}");
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies[0].code, 1007);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors[0][0].toInt(), 1012);
  }

  void garbageFromTheHubIsIgnored() {
    Client c;
    QList<sdk::HubReply> replies;
    QSignalSpy messages(c.client.get(), &sdk::HubClient::imMessage);
    QSignalSpy frames(c.client.get(), &sdk::HubClient::mediaFrame);
    QVERIFY(messages.isValid() && frames.isValid());
    c.client->ping(c.record(&replies));
    c.transport->accept();
    for (const QByteArray &junk : {QByteArray("not json"), QByteArray("[]"), QByteArray("{\"v\":9,\"type\":\"reply\",\"id\":1}"),
                                   QByteArray("{\"v\":4,\"type\":\"message\",\"from\":\"x\"}"),
                                   QByteArray("{\"v\":4,\"type\":\"stream\",\"source\":\"smell\"}"),
                                   QByteArray("{\"v\":4,\"type\":\"teleport\"}")})
      c.transport->deliver(junk);
    emit c.transport->binaryReceived(QByteArray("TWMF\x01\x01\x01\x00", 8));
    emit c.transport->binaryReceived(QByteArray(100, '\xff'));
    QCOMPARE(messages.count(), 0);
    QCOMPARE(frames.count(), 0);
    QVERIFY(replies.isEmpty()); // the version-9 "reply" did not answer the ping
    c.transport->answer(0);
    QCOMPARE(replies.size(), 1);
  }

  void refusedConnectionFailsEveryWaitingRequest() {
    Client c;
    QList<sdk::HubReply> replies;
    QSignalSpy lost(c.client.get(), &sdk::HubClient::connectionLost);
    c.client->login(QStringLiteral("u"), QStringLiteral("s"), c.record(&replies));
    c.client->ping(c.record(&replies));
    c.transport->refuse();
    QCOMPARE(replies.size(), 2);
    QCOMPARE(replies[0].code, int(hubproto::ClientConnect));
    QCOMPARE(lost.count(), 0);
    // Closed for good: later requests fail at once (but not synchronously).
    c.client->ping(c.record(&replies));
    QCOMPARE(replies.size(), 2);
    QTRY_COMPARE(replies.size(), 3);
    QCOMPARE(replies[2].code, int(hubproto::ClientConnectionLost));
  }

  void droppedLinkIsReportedUnlessKicked() {
    Client c;
    QList<sdk::HubReply> replies;
    QSignalSpy lost(c.client.get(), &sdk::HubClient::connectionLost);
    c.client->ping(c.record(&replies));
    c.transport->accept();
    c.transport->drop();
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies[0].code, int(hubproto::ClientConnectionLost));
    QCOMPARE(lost.count(), 1);

    Client k;
    QSignalSpy kickLost(k.client.get(), &sdk::HubClient::connectionLost);
    QSignalSpy kicked(k.client.get(), &sdk::HubClient::kicked);
    k.client->ping(k.record(&replies));
    k.transport->accept();
    k.transport->deliver("{\"v\":4,\"type\":\"kicked\",\"code\":70004,\"desc\":\"elsewhere\"}");
    k.transport->drop();
    QCOMPARE(kicked.count(), 1);
    QCOMPARE(kickLost.count(), 0);
  }

  // The teacher's calls go out as the hub reads them; the student hears of its own stage.
  void stageCallsAndTheStageNotice() {
    Client c;
    QList<sdk::HubReply> replies;
    QSignalSpy stage(c.client.get(), &sdk::HubClient::stageNotice);
    c.client->grantStage(QStringLiteral("s1"), c.record(&replies));
    c.client->revokeStage(QStringLiteral("s1"), c.record(&replies));
    c.transport->accept();
    QCOMPARE(c.transport->sent.size(), 2);
    QCOMPARE(c.transport->sent[0].value(QStringLiteral("type")).toString(), QStringLiteral("grant"));
    QCOMPARE(c.transport->sent[1].value(QStringLiteral("type")).toString(), QStringLiteral("revoke"));
    QCOMPARE(c.transport->sent[1].value(QStringLiteral("userId")).toString(), QStringLiteral("s1"));
    c.transport->answer(0, hubproto::TeacherOnly);
    c.transport->answer(1);
    QCOMPARE(replies.size(), 2);
    QCOMPARE(replies[0].code, int(hubproto::TeacherOnly));
    QCOMPARE(replies[1].code, 0);
    c.transport->deliver("{\"v\":4,\"type\":\"stage\",\"roomId\":300101,\"granted\":false,\"role\":\"Guest\"}");
    QCOMPARE(stage.count(), 1);
    QCOMPARE(stage.at(0).at(0).toUInt(), 300101u);
    QCOMPARE(stage.at(0).at(1).toBool(), false);
    QCOMPARE(stage.at(0).at(2).toString(), QStringLiteral("Guest"));
  }

  void unansweredRequestTimesOut() {
    Client c;
    c.client->setRequestTimeout(100);
    QList<sdk::HubReply> replies;
    c.client->ping(c.record(&replies));
    c.transport->accept();
    QTRY_COMPARE(replies.size(), 1);
    QCOMPARE(replies[0].code, int(hubproto::ClientTimeout));
  }

  void oversizedRequestIsRefusedLocally() {
    Client c;
    QList<sdk::HubReply> replies;
    QVector<hubproto::Element> big(1);
    big[0].text = QString(1 << 20, QLatin1Char('a'));
    c.client->sendMessage({hubproto::Conversation::Group, QStringLiteral("1")}, big, nullptr, c.record(&replies));
    QTRY_COMPARE(replies.size(), 1);
    QCOMPARE(replies[0].code, int(hubproto::TooLarge));
    QCOMPARE(c.transport->opens, 0);
  }

  void framesGoOutOnlyWhileOpen() {
    Client c;
    const hubproto::MediaFrame f = hubproto::vp8Frame(hubproto::Source::Camera, 2, 2, "xxxx", true, 0, 0);
    c.client->sendFrame(f);
    c.client->ping([](const sdk::HubReply &) {});
    c.client->sendFrame(f);
    QVERIFY(c.transport->binary.isEmpty());
    c.transport->accept();
    c.client->sendFrame(f);
    QCOMPARE(c.transport->binary.size(), 1);
    c.client->close();
    QVERIFY(c.transport->closedByClient);
    c.client->sendFrame(f);
    QCOMPARE(c.transport->binary.size(), 1);
  }

  // A link that cannot keep up sheds video, never sound or requests.
  void videoIsDroppedWhileTheLinkIsBackedUp() {
    Client c;
    c.client->ping([](const sdk::HubReply &) {});
    c.transport->accept();
    const hubproto::MediaFrame video = hubproto::vp8Frame(hubproto::Source::Camera, 2, 2, "vvvv", false, 1, 0);
    const hubproto::MediaFrame audio = hubproto::opusFrame(QByteArray(80, 'a'), 1, 0);

    c.transport->queued = sdk::HubClient::kMaxQueuedBytes;
    c.client->sendFrame(video); // at the bound: still sent
    QCOMPARE(c.transport->binary.size(), 1);
    c.transport->queued = sdk::HubClient::kMaxQueuedBytes + 1;
    c.client->sendFrame(video);
    c.client->sendFrame(audio);
    c.client->sendFrame(video);
    c.client->ping([](const sdk::HubReply &) {});
    QCOMPARE(c.client->droppedVideoFrames(), quint64(2));
    QCOMPARE(c.transport->binary.size(), 2);
    hubproto::MediaFrame sent;
    QString why;
    QVERIFY(hubproto::decodeFrame(c.transport->binary.last(), &sent, &why));
    QCOMPARE(sent.kind, hubproto::MediaFrame::Audio);
    QCOMPARE(c.transport->sent.size(), 2);

    c.transport->queued = 0;
    c.client->sendFrame(video);
    QCOMPARE(c.transport->binary.size(), 3);
    QCOMPARE(c.client->droppedVideoFrames(), quint64(2));
  }

  // The WebSocket transport counts what it has not written yet, and gets back to zero.
  void webSocketCountsBytesWaitingToBeWritten() {
    QWebSocketServer server(QStringLiteral("hub"), QWebSocketServer::NonSecureMode);
    QVERIFY(server.listen(QHostAddress::LocalHost));
    qint64 received = 0;
    connect(&server, &QWebSocketServer::newConnection, this, [&] {
      QWebSocket *peer = server.nextPendingConnection();
      connect(peer, &QWebSocket::binaryMessageReceived, this, [&](const QByteArray &m) { received += m.size(); });
    });
    sdk::WebSocketTransport transport(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(server.serverPort())));
    QSignalSpy opened(&transport, &sdk::HubTransport::opened);
    transport.open();
    QVERIFY(opened.wait(5000));
    const QByteArray big(4 << 20, 'x');
    transport.sendBinary(big);
    transport.sendBinary(big);
    QVERIFY(transport.bytesQueued() > sdk::HubClient::kMaxQueuedBytes);
    QTRY_COMPARE_WITH_TIMEOUT(received, qint64(2 * big.size()), 10000);
    QTRY_COMPARE(transport.bytesQueued(), qint64(0));
  }
};

QTEST_GUILESS_MAIN(TestHubClient)
#include "test_hubclient.moc"

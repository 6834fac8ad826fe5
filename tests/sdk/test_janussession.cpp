// The Janus session's hold on its link, against a stand-in Janus on loopback that answers what
// the test tells it to: keep-alives answered keep the session, a link that falls silent (as a
// dead link does, without closing) is given up, and Janus's own time-out ends it too.
#include "sdk/net/webrtc/janussession.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QWebSocket>
#include <QWebSocketServer>
#include <QtTest>

namespace {

constexpr int kIntervalMs = 150;
constexpr int kAnswerMs = 400;
constexpr quint64 kSessionId = 4242;

// Answers "create" with a session; keep-alives with an ack while answering is on.
class StandInJanus : public QObject {
public:
  StandInJanus() : server(QStringLiteral("janus"), QWebSocketServer::NonSecureMode) {
    server.listen(QHostAddress(QStringLiteral("127.0.0.1")));
    QObject::connect(&server, &QWebSocketServer::newConnection, this, [this] {
      QWebSocket *link = server.nextPendingConnection();
      links.append(link);
      QObject::connect(link, &QWebSocket::textMessageReceived, this, [this, link](const QString &text) {
        onRequest(link, QJsonDocument::fromJson(text.toUtf8()).object());
      });
    });
  }
  QUrl url() const { return QUrl(QStringLiteral("ws://127.0.0.1:%1/").arg(server.serverPort())); }
  void say(QJsonObject message) {
    message.insert(QStringLiteral("session_id"), double(kSessionId));
    for (QWebSocket *link : links)
      link->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
  }

  bool answering = true;
  int keepAlives = 0;

private:
  void onRequest(QWebSocket *link, const QJsonObject &request) {
    const QString kind = request.value(QStringLiteral("janus")).toString();
    const QJsonValue transaction = request.value(QStringLiteral("transaction"));
    QJsonObject answer;
    if (kind == QLatin1String("create"))
      answer = {{QStringLiteral("janus"), QStringLiteral("success")},
                {QStringLiteral("data"), QJsonObject{{QStringLiteral("id"), double(kSessionId)}}}};
    else if (kind == QLatin1String("keepalive") && answering)
      answer = {{QStringLiteral("janus"), QStringLiteral("ack")}, {QStringLiteral("session_id"), double(kSessionId)}};
    if (kind == QLatin1String("keepalive"))
      ++keepAlives;
    if (answer.isEmpty())
      return;
    answer.insert(QStringLiteral("transaction"), transaction);
    link->sendTextMessage(QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact)));
  }

  QWebSocketServer server;
  QList<QWebSocket *> links;
};

struct OpenSession {
  explicit OpenSession(StandInJanus &janus) : session(janus.url(), QStringLiteral("token")), lost(&session, &sdk::JanusSession::lost) {
    QSignalSpy opened(&session, &sdk::JanusSession::opened);
    session.setKeepAlive(kIntervalMs, kAnswerMs);
    session.open();
    ok = opened.wait(5000);
  }
  sdk::JanusSession session;
  QSignalSpy lost;
  bool ok = false;
};

} // namespace

class TestJanusSession : public QObject {
  Q_OBJECT
private slots:
  void answeredKeepAlivesHoldTheSession() {
    StandInJanus janus;
    OpenSession s(janus);
    QVERIFY(s.ok);
    QTest::qWait(6 * kIntervalMs + kAnswerMs);
    QVERIFY2(janus.keepAlives >= 4, qPrintable(QString::number(janus.keepAlives)));
    QCOMPARE(s.lost.count(), 0);
    QVERIFY(s.session.isOpen());
  }

  // A link that dies without closing carries no more answers: the session must notice within
  // an interval and the answer time, not wait for TCP to give up minutes later.
  void aSilentLinkIsGivenUp() {
    StandInJanus janus;
    OpenSession s(janus);
    QVERIFY(s.ok);
    janus.answering = false;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(s.lost.wait(5000));
    QVERIFY2(clock.elapsed() <= 3 * kIntervalMs + kAnswerMs + 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(s.lost.first().first().toString().contains(QLatin1String("did not answer a keep-alive")),
             qPrintable(s.lost.first().first().toString()));
    QVERIFY(!s.session.isOpen());
    QTest::qWait(2 * kAnswerMs);
    QCOMPARE(s.lost.count(), 1); // said once
  }

  // Any word from Janus shows the link is alive, also when the ack itself went missing.
  void otherNewsCountsAsAnAnswer() {
    StandInJanus janus;
    OpenSession s(janus);
    QVERIFY(s.ok);
    janus.answering = false;
    QTimer news;
    QObject::connect(&news, &QTimer::timeout, &janus, [&janus] {
      janus.say({{QStringLiteral("janus"), QStringLiteral("webrtcup")}, {QStringLiteral("sender"), 1.0}});
    });
    news.start(kIntervalMs / 2);
    QTest::qWait(4 * kIntervalMs + 2 * kAnswerMs);
    QCOMPARE(s.lost.count(), 0);
    news.stop();
    QVERIFY(s.lost.wait(5000));
  }

  void janusTimingOutTheSessionEndsIt() {
    StandInJanus janus;
    OpenSession s(janus);
    QVERIFY(s.ok);
    janus.say({{QStringLiteral("janus"), QStringLiteral("timeout")}});
    QVERIFY(s.lost.wait(5000));
    QVERIFY(s.lost.first().first().toString().contains(QLatin1String("time out")));
  }

  // Closing on purpose stops the clock: no lost() for a session the program ended itself.
  void aClosedSessionIsNotReportedLost() {
    StandInJanus janus;
    OpenSession s(janus);
    QVERIFY(s.ok);
    janus.answering = false;
    QTest::qWait(kIntervalMs + kAnswerMs / 4); // a keep-alive is out, unanswered
    s.session.close();
    QTest::qWait(2 * kAnswerMs);
    QCOMPARE(s.lost.count(), 0);
  }
};

QTEST_GUILESS_MAIN(TestJanusSession)
#include "test_janussession.moc"

// The HTTP server's limits against slow and greedy clients, on loopback with short limits:
// trickled headers and bodies are cut at their limits, one address holds only its share of
// connections, and the others are served meanwhile.

#include "service/guardedserver.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTest>

#include <memory>
#include <thread>
#include <vector>

namespace {

// The header limit leaves a loaded machine time to see the connections that wait for it: each
// is closed at the limit.
ConnectionLimits shortLimits() {
  ConnectionLimits l;
  l.headerMs = 2000;
  l.bodyMs = 700;
  l.idleMs = 1500;
  l.perAddress = 3;
  l.workers = 6;
  return l;
}

// A client socket from a loopback address of its own.
std::unique_ptr<QTcpSocket> connectFrom(const char *source, quint16 port) {
  auto s = std::make_unique<QTcpSocket>();
  if (!s->bind(QHostAddress(QString::fromLatin1(source)))) return nullptr;
  s->connectToHost(QHostAddress::LocalHost, port);
  if (!s->waitForConnected(3000)) return nullptr;
  return s;
}

// Sends one byte of `text` every stepMs until the server closes or the text is out; true when
// the server closed the connection before the text was out.
bool trickleUntilClosed(QTcpSocket &s, const QByteArray &text, int stepMs) {
  for (char c : text) {
    s.write(&c, 1);
    s.flush();
    if (s.state() != QAbstractSocket::ConnectedState || s.waitForDisconnected(stepMs)) return true;
  }
  return false;
}

// A whole request from source; the status line of the answer, empty when none came.
QByteArray askFrom(const char *source, quint16 port) {
  auto s = connectFrom(source, port);
  if (!s) return QByteArray();
  s->write("GET /hello HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
  QByteArray answer;
  for (int i = 0; i < 30 && !answer.contains("\r\n"); ++i)
    if (s->waitForReadyRead(100)) answer += s->readAll();
  return answer.left(answer.indexOf("\r\n"));
}

} // namespace

class TestGuardedServer : public QObject {
  Q_OBJECT
  std::unique_ptr<GuardedServer> m_server;
  std::thread m_thread;
  quint16 m_port = 0;

private slots:
  void initTestCase() {
    m_server = std::make_unique<GuardedServer>(shortLimits());
    m_server->Get("/hello", [](const httplib::Request &, httplib::Response &res) { res.set_content("ok", "text/plain"); });
    m_server->Post("/hello", [](const httplib::Request &req, httplib::Response &res) { res.set_content(req.body, "text/plain"); });
    const int port = m_server->bind_to_any_port("127.0.0.1");
    QVERIFY(port > 0);
    m_port = quint16(port);
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    QTRY_VERIFY(m_server->is_running());
  }
  void cleanupTestCase() {
    m_server->stop();
    m_thread.join();
  }

  void wholeRequestsAreServed() { QCOMPARE(askFrom("127.0.0.10", m_port), QByteArray("HTTP/1.1 200 OK")); }

  // Each byte comes well within the old per-read wait; the request as a whole does not.
  void trickledHeadersAreCutAtTheirLimit() {
    auto s = connectFrom("127.0.0.11", m_port);
    QVERIFY(s);
    QElapsedTimer t;
    t.start();
    QVERIFY(trickleUntilClosed(*s, "GET /hello HTTP/1.1\r\nX-Slow: " + QByteArray(200, 'a'), 50));
    QVERIFY2(t.elapsed() >= shortLimits().headerMs - 50, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!s->readAll().startsWith("HTTP/1.1 200"));
  }

  // The server answers a request cut at its limit, and then ends the connection: the bytes that
  // keep coming must not start a next request with a limit of its own, which gave a trickling
  // client five limits on one connection. Slow and fast tricklers reach the limit in a wait
  // and in a read respectively.
  void aCutRequestEndsItsConnection_data() {
    QTest::addColumn<int>("stepMs");
    QTest::newRow("a byte every 250 ms") << 250;
    QTest::newRow("a byte every 20 ms") << 20;
  }
  void aCutRequestEndsItsConnection() {
    QFETCH(int, stepMs);
    auto s = connectFrom("127.0.0.15", m_port);
    QVERIFY(s);
    s->write("GET /hello HTTP/1.1\r\nHost: x\r\nX-Slow: ");
    QElapsedTimer t;
    t.start();
    qint64 answeredAt = -1;
    // Bounded: at most four limits' time.
    while (s->state() == QAbstractSocket::ConnectedState && t.elapsed() < 4 * shortLimits().headerMs) {
      s->write("a");
      s->waitForDisconnected(stepMs);
      if (answeredAt < 0 && s->bytesAvailable() > 0) answeredAt = t.elapsed();
    }
    QVERIFY2(answeredAt >= 0, "the cut request was not answered");
    QVERIFY2(s->state() != QAbstractSocket::ConnectedState,
             qPrintable(QStringLiteral("still open %1 ms after the answer").arg(t.elapsed() - answeredAt)));
    // A second limit would end it a whole limit after the answer.
    QVERIFY2(t.elapsed() - answeredAt < shortLimits().headerMs / 2, qPrintable(QString::number(t.elapsed() - answeredAt)));
  }

  void trickledBodyIsCutAtItsLimit() {
    auto s = connectFrom("127.0.0.12", m_port);
    QVERIFY(s);
    s->write("POST /hello HTTP/1.1\r\nHost: x\r\nContent-Type: text/plain\r\nContent-Length: 300\r\n\r\n");
    QVERIFY(trickleUntilClosed(*s, QByteArray(300, 'b'), 50));
    QVERIFY(!s->readAll().contains("bbbb"));
  }

  // One address keeps its share of connections busy; more from it are closed at once, and
  // other addresses are served meanwhile.
  void oneAddressHoldsOnlyItsShare() {
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < shortLimits().perAddress; ++i) {
      held.push_back(connectFrom("127.0.0.13", m_port));
      QVERIFY(held.back());
      held.back()->write("GET /hello HTTP/1.1\r\n");
      held.back()->flush();
    }
    QTRY_COMPARE(m_server->openFrom(QStringLiteral("127.0.0.13")), shortLimits().perAddress);
    auto extra = connectFrom("127.0.0.13", m_port);
    QVERIFY(extra);
    QElapsedTimer t;
    t.start();
    QVERIFY(extra->waitForDisconnected(shortLimits().headerMs));
    QVERIFY(t.elapsed() < shortLimits().headerMs);
    QCOMPARE(askFrom("127.0.0.14", m_port), QByteArray("HTTP/1.1 200 OK"));
    for (auto &s : held) s->abort();
    QTRY_COMPARE(m_server->openFrom(QStringLiteral("127.0.0.13")), 0);
  }

  // Twice as many slow connections from one address as the server has workers: a caller
  // from elsewhere is still answered while they trickle.
  void slowClientsDoNotStarveOthers() {
    std::vector<std::unique_ptr<QTcpSocket>> slow;
    for (int i = 0; i < 2 * shortLimits().workers; ++i) {
      slow.push_back(connectFrom("127.0.0.21", m_port));
      QVERIFY(slow.back());
      slow.back()->write("GET /hello HTTP/1.1\r\nX-Slow: a");
      slow.back()->flush();
    }
    QTRY_COMPARE(m_server->openFrom(QStringLiteral("127.0.0.21")), shortLimits().perAddress);
    QCOMPARE(askFrom("127.0.0.23", m_port), QByteArray("HTTP/1.1 200 OK"));
    for (auto &s : slow) s->abort();
  }

  // A client that sent its headers and holds back its body, or holds back the end of its
  // headers, does not keep a stopping server waiting for the body's or the headers' limit.
  void stopIsNotHeldByHalfSentRequests() {
    ConnectionLimits patient = shortLimits();
    patient.headerMs = patient.bodyMs = patient.idleMs = 60000;
    GuardedServer server(patient);
    server.Post("/hello", [](const httplib::Request &req, httplib::Response &res) { res.set_content(req.body, "text/plain"); });
    const int port = server.bind_to_any_port("127.0.0.1");
    QVERIFY(port > 0);
    std::thread serving([&] { server.listen_after_bind(); });
    auto guard = qScopeGuard([&] {
      server.stop();
      serving.join();
    });
    QTRY_VERIFY(server.is_running());
    auto body = connectFrom("127.0.0.31", quint16(port));
    auto headers = connectFrom("127.0.0.32", quint16(port));
    QVERIFY(body && headers);
    body->write("POST /hello HTTP/1.1\r\nHost: x\r\nContent-Type: text/plain\r\nContent-Length: 59\r\n\r\n");
    headers->write("POST /hello HTTP/1.1\r\nHost: x\r\n");
    body->flush();
    headers->flush();
    QTRY_COMPARE(server.openFrom(QStringLiteral("127.0.0.31")) + server.openFrom(QStringLiteral("127.0.0.32")), 2);
    QElapsedTimer t;
    t.start();
    server.stop();
    serving.join();
    guard.dismiss();
    // Far below the 60 s the limits would allow.
    QVERIFY2(t.elapsed() < 10000, qPrintable(QString::number(t.elapsed())));
  }
};

QTEST_GUILESS_MAIN(TestGuardedServer)
#include "test_guardedserver.moc"

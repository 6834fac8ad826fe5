#include "net/networkhelper.h"
#include "support/httpserver.h"

#include <QTcpServer>
#include <QTest>

using testsupport::HttpReply;
using testsupport::HttpServer;

namespace {

struct Outcome {
  int code;
  QByteArray body;
};

struct Recorder {
  QList<Outcome> outcomes;
  static void callback(int code, QByteArray &body, void *userData) {
    static_cast<Recorder *>(userData)->outcomes.append({code, body});
  }
  bool waitFor(int count, int timeoutMs = 5000) {
    return QTest::qWaitFor([&] { return outcomes.size() >= count; }, timeoutMs);
  }
};

// A port nobody listens on: bound, then released.
int closedPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

} // namespace

class TestNetworkHelper : public QObject {
  Q_OBJECT
  std::unique_ptr<HttpServer> server;

  QString url(const char *path) const { return server->baseUrl() + QLatin1String(path); }

private slots:
  void init() {
    server = std::make_unique<HttpServer>();
    QVERIFY(server->isListening());
  }

  void cleanup() {
    server.reset();
    QTRY_COMPARE(NetworkHelper::liveCount(), 0);
  }

  void getAndPostSendTheirContentTypeAndDeliverTheBody() {
    server->route(QStringLiteral("/file"), HttpReply{200, "raw \x01 bytes", "application/octet-stream", 0});
    Recorder r;
    NetworkHelper::get(url("/file"), &Recorder::callback, &r, 5000);
    NetworkHelper::post(url("/file"), QStringLiteral("name=张三"), &Recorder::callback, &r, 5000);
    QVERIFY(r.waitFor(2));
    QCOMPARE(r.outcomes.at(0).code, 0);
    QCOMPARE(r.outcomes.at(0).body, QByteArray("raw \x01 bytes"));
    QCOMPARE(r.outcomes.at(1).code, 0);

    const auto requests = server->requests();
    QCOMPARE(requests.size(), 2);
    const auto get = requests.at(0).method == QLatin1String("GET") ? requests.at(0) : requests.at(1);
    const auto post = requests.at(0).method == QLatin1String("POST") ? requests.at(0) : requests.at(1);
    QCOMPARE(get.method, QStringLiteral("GET"));
    QCOMPARE(get.headers.value(QStringLiteral("content-type")), QStringLiteral("application/octet-stream"));
    QVERIFY(get.body.isEmpty());
    QCOMPARE(post.method, QStringLiteral("POST"));
    QCOMPARE(post.headers.value(QStringLiteral("content-type")),
             QStringLiteral("application/x-www-form-urlencoded"));
    QCOMPARE(post.body, QStringLiteral("name=张三").toUtf8());
  }

  void errorStatusAndRefusedConnectionGiveOutcomeTwoWithEmptyBody() {
    server->route(QStringLiteral("/broken"), HttpReply{500, "{\"errorCode\":0}", "application/json", 0});
    Recorder r;
    NetworkHelper::post(url("/broken"), QString(), &Recorder::callback, &r, 5000);
    NetworkHelper::get(url("/missing"), &Recorder::callback, &r, 5000);
    NetworkHelper::get(QStringLiteral("http://127.0.0.1:%1/x").arg(closedPort()), &Recorder::callback,
                       &r, 5000);
    QVERIFY(r.waitFor(3));
    for (const Outcome &o : r.outcomes) {
      QCOMPARE(o.code, 2);
      QVERIFY(o.body.isEmpty());
    }
  }

  void timeOutAnswersOneThenAbortsTheReply() {
    // The server would answer only after 5 s; the request must be over long before.
    server->route(QStringLiteral("/slow"), HttpReply{200, "late", "text/plain", 5000});
    Recorder r;
    NetworkHelper::post(url("/slow"), QStringLiteral("a=1"), &Recorder::callback, &r, 100);
    QCOMPARE(NetworkHelper::liveCount(), 1);
    QVERIFY(r.waitFor(2, 2000));
    QCOMPARE(r.outcomes.at(0).code, 1);
    QVERIFY(r.outcomes.at(0).body.isEmpty());
    QCOMPARE(r.outcomes.at(1).code, 2);
    QTRY_COMPARE_WITH_TIMEOUT(NetworkHelper::liveCount(), 0, 1000);
    QTest::qWait(100);
    QCOMPARE(r.outcomes.size(), 2);
  }

  void withoutCallbackTheHelperStillGoesAway() {
    server->route(QStringLiteral("/ok"), HttpReply{200, "{}", "application/json", 0});
    server->route(QStringLiteral("/slow"), HttpReply{200, "late", "text/plain", 5000});
    NetworkHelper::get(url("/ok"), nullptr, nullptr, 5000);
    NetworkHelper::post(url("/slow"), QString(), nullptr, nullptr, 100);
    QCOMPARE(NetworkHelper::liveCount(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(NetworkHelper::liveCount(), 0, 2000);
    QCOMPARE(server->requestCount(), 2);
  }
};

QTEST_GUILESS_MAIN(TestNetworkHelper)
#include "test_networkhelper.moc"

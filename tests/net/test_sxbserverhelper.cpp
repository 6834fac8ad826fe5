#include "core/deployment.h"
#include "net/networkhelper.h"
#include "net/sxbserverhelper.h"
#include "support/httpserver.h"

#include <QTest>

using testsupport::HttpReply;
using testsupport::HttpRequest;
using testsupport::HttpServer;

namespace {

struct Answer {
  int code;
  QString info;
  QVariantMap data;
};

struct Recorder {
  QList<Answer> answers;
  static void callback(int code, const QString &info, const QVariantMap &data, void *userData) {
    static_cast<Recorder *>(userData)->answers.append({code, info, data});
  }
  bool waitFor(int count, int timeoutMs = 5000) {
    return QTest::qWaitFor([&] { return answers.size() >= count; }, timeoutMs);
  }
};

HttpReply json(const QByteArray &body) { return HttpReply{200, body, "application/json", 0}; }

bool nothingInFlight() {
  return QTest::qWaitFor(
      [] { return SxbServerHelper::liveCount() == 0 && NetworkHelper::liveCount() == 0; }, 2000);
}

} // namespace

class TestSxbServerHelper : public QObject {
  Q_OBJECT
  std::unique_ptr<HttpServer> server;

  // One call to /live-service/<path> answered with reply; returns what the caller heard.
  QList<Answer> ask(const QString &path, const HttpReply &reply, const QVariantMap &params = {}) {
    server->route(QStringLiteral("/live-service/") + path, reply);
    Recorder r;
    SxbServerHelper::request(params, QStringLiteral("live-service"), path, &Recorder::callback, &r);
    r.waitFor(1);
    QTest::qWait(20); // a second answer would show up here
    return r.answers;
  }

private slots:
  void init() {
    server = std::make_unique<HttpServer>();
    QVERIFY(server->isListening());
    Deployment d = Deployment::instance();
    d.backendUrl = server->baseUrl();
    Deployment::setInstance(d);
  }

  void cleanup() {
    QVERIFY(nothingInFlight());
    server.reset();
    SxbServerHelper::setTimeLimitMs(SxbServerHelper::kDefaultTimeLimitMs);
  }

  void envelopeIsDecoded_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("info");
    QTest::addColumn<QVariantMap>("data");
    QTest::newRow("success with data")
        << QByteArray(R"({"errorCode":0,"errorInfo":"","data":{"online":1,"url":"x"},"extra":5})")
        << 0 << QString() << QVariantMap{{"online", 1}, {"url", "x"}};
    QTest::newRow("backend error passes through")
        << QStringLiteral(R"({"errorCode":10010,"errorInfo":"登录已过期","data":{"a":1}})").toUtf8()
        << 10010 << QStringLiteral("登录已过期") << QVariantMap{{"a", 1}};
    QTest::newRow("empty object") << QByteArray("{}") << 0 << QString() << QVariantMap();
    QTest::newRow("data not an object")
        << QByteArray(R"({"errorCode":0,"data":[1,2]})") << 0 << QString() << QVariantMap();
    QTest::newRow("code sent as text")
        << QByteArray(R"({"errorCode":"500","errorInfo":"busy"})") << 500 << QStringLiteral("busy")
        << QVariantMap();
  }

  void envelopeIsDecoded() {
    QFETCH(QByteArray, reply);
    QFETCH(int, code);
    const QList<Answer> answers = ask(QStringLiteral("version"), json(reply));
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers.at(0).code, code);
    QTEST(answers.at(0).info, "info");
    QTEST(answers.at(0).data, "data");
  }

  void repliesThatAreNotAnObjectGiveThree_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("array") << QByteArray("[]");
    QTest::newRow("plain text") << QByteArray("service is down");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated") << QByteArray(R"({"errorCode":0,)");
  }

  void repliesThatAreNotAnObjectGiveThree() {
    QFETCH(QByteArray, reply);
    const QList<Answer> answers = ask(QStringLiteral("version"), HttpReply{200, reply, "text/plain", 0});
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers.at(0).code, 3);
    QCOMPARE(answers.at(0).info, SxbServerHelper::parseErrorText());
    QVERIFY(answers.at(0).data.isEmpty());
  }

  void httpErrorStatusGivesTwoNotTheEnvelope() {
    // The body is a valid envelope; a decoder that ignored the status would answer 0.
    const QList<Answer> answers =
        ask(QStringLiteral("version"), HttpReply{502, R"({"errorCode":0,"data":{"a":1}})", "application/json", 0});
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers.at(0).code, 2);
    QCOMPARE(answers.at(0).info, SxbServerHelper::networkErrorText());
    QVERIFY(answers.at(0).data.isEmpty());
  }

  void lateReplyGivesOnlyTheTimeOut() {
    SxbServerHelper::setTimeLimitMs(100);
    server->route(QStringLiteral("/live-service/version"), HttpReply{200, "{}", "application/json", 400});
    Recorder r;
    SxbServerHelper::request({}, QStringLiteral("live-service"), QStringLiteral("version"),
                             &Recorder::callback, &r);
    QVERIFY(r.waitFor(1, 2000));
    QTest::qWait(700); // past the moment the server answers
    QCOMPARE(r.answers.size(), 1);
    QCOMPARE(r.answers.at(0).code, 1);
    QCOMPARE(r.answers.at(0).info, SxbServerHelper::timeoutText());
  }

  void timedOutCallLeavesNothingAliveWhileTheServerStillHoldsIt() {
    SxbServerHelper::setTimeLimitMs(100);
    server->route(QStringLiteral("/live-service/version"), HttpReply{200, "{}", "application/json", 10000});
    Recorder r;
    SxbServerHelper::request({}, QStringLiteral("live-service"), QStringLiteral("version"),
                             &Recorder::callback, &r);
    QCOMPARE(SxbServerHelper::liveCount(), 1);
    QCOMPARE(NetworkHelper::liveCount(), 1);
    QVERIFY(r.waitFor(1, 2000));
    QVERIFY(nothingInFlight());
    QCOMPARE(r.answers.size(), 1);
    QCOMPARE(r.answers.at(0).code, 1);
  }

  void paramsArriveInKeyOrderAtTheCallAddress() {
    server->route(QStringLiteral("/login/auth-code"), json("{}"));
    SxbServerHelper::request({{"b", "2"}, {"a", "1"}}, QStringLiteral("login"), QStringLiteral("auth-code"));
    QVERIFY(server->waitForRequests(1, 5000));
    const HttpRequest req = server->requests().at(0);
    QCOMPARE(req.method, QStringLiteral("POST"));
    QCOMPARE(req.path, QStringLiteral("/login/auth-code"));
    QCOMPARE(req.body, QByteArray("a=1&b=2"));
    QCOMPARE(req.headers.value(QStringLiteral("content-type")),
             QStringLiteral("application/x-www-form-urlencoded"));
    QCOMPARE(SxbServerHelper::callUrl(QStringLiteral("login"), QStringLiteral("auth-code")),
             server->baseUrl() + QStringLiteral("/login/auth-code"));
  }

  void valuesReachTheServerUnchanged() {
    const QVariantMap params{{"name", QStringLiteral("张三 同学")},
                             {"token", "x+y/z=="},
                             {"note", "100%41 & a=b #1"},
                             {"roomId", 4294967295u},
                             {"expired", 3600},
                             {"cam", true}};
    server->route(QStringLiteral("/quorvel/edit-student-name"), json("{}"));
    SxbServerHelper::request(params, QStringLiteral("quorvel"), QStringLiteral("edit-student-name"));
    QVERIFY(server->waitForRequests(1, 5000));
    const HttpRequest req = server->requests().at(0);
    QCOMPARE(req.params.value(QStringLiteral("name")), QStringLiteral("张三 同学"));
    QCOMPARE(req.params.value(QStringLiteral("token")), QStringLiteral("x+y/z=="));
    QCOMPARE(req.params.value(QStringLiteral("note")), QStringLiteral("100%41 & a=b #1"));
    QCOMPARE(req.params.value(QStringLiteral("roomId")), QStringLiteral("4294967295"));
    QCOMPARE(req.params.value(QStringLiteral("expired")), QStringLiteral("3600"));
    QCOMPARE(req.params.value(QStringLiteral("cam")), QStringLiteral("true"));
    QCOMPARE(req.params.size(), params.size());
    // Chinese stays readable UTF-8 in the body (and so in the log).
    QVERIFY(req.body.contains(QStringLiteral("name=张三").toUtf8()));
  }

  void guardDropsAnswersForAGoneCaller() {
    server->route(QStringLiteral("/live-service/heartbeat"), HttpReply{200, "{}", "application/json", 150});
    Recorder gone;
    Recorder alive;
    auto *window = new QObject;
    QObject stays;
    SxbServerHelper::request({}, QStringLiteral("live-service"), QStringLiteral("heartbeat"),
                             &Recorder::callback, &gone, window);
    SxbServerHelper::request({}, QStringLiteral("live-service"), QStringLiteral("heartbeat"),
                             &Recorder::callback, &alive, &stays);
    delete window;
    QVERIFY(alive.waitFor(1));
    QVERIFY(nothingInFlight());
    QCOMPARE(gone.answers.size(), 0);
    QCOMPARE(alive.answers.at(0).code, 0);
  }

  void guardAlsoDropsTheTimeOutAnswer() {
    SxbServerHelper::setTimeLimitMs(100);
    server->route(QStringLiteral("/live-service/heartbeat"), HttpReply{200, "{}", "application/json", 5000});
    Recorder r;
    auto *window = new QObject;
    SxbServerHelper::request({}, QStringLiteral("live-service"), QStringLiteral("heartbeat"),
                             &Recorder::callback, &r, window);
    QVERIFY(server->waitForRequests(1, 2000));
    delete window;
    QVERIFY(nothingInFlight());
    QCOMPARE(r.answers.size(), 0);
  }
};

QTEST_GUILESS_MAIN(TestSxbServerHelper)
#include "test_sxbserverhelper.moc"

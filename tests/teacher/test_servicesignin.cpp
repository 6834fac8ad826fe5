// Getting the teacher's credentials from a class service: the two calls with their
// parameters, and the failures a person must be able to act on.
#include "teacher/servicesignin.h"

#include "support/httpserver.h"

#include <QSignalSpy>
#include <QtTest>

using testsupport::HttpReply;
using testsupport::HttpServer;

class TestServiceSignIn : public QObject {
  Q_OBJECT

  struct Outcome {
    TeacherCredentials credentials;
    QString error;
  };
  static Outcome signIn(const QString &baseUrl, const QString &password = QStringLiteral("te+ach&er01")) {
    ServiceSignIn signIn;
    QSignalSpy spy(&signIn, &ServiceSignIn::finished);
    signIn.start(baseUrl, QStringLiteral("13900000001"), password, 300101);
    if (!spy.wait(10000))
      return {TeacherCredentials(), QStringLiteral("no answer")};
    return {spy.at(0).at(0).value<TeacherCredentials>(), spy.at(0).at(1).toString()};
  }

private slots:
  void initTestCase() { qRegisterMetaType<TeacherCredentials>(); }
  void signsInThenAsksForTheRoom();
  void failuresSayWhatToDo_data();
  void failuresSayWhatToDo();
  void unreachableServiceIsNamed();
};

void TestServiceSignIn::signsInThenAsksForTheRoom() {
  HttpServer server;
  server.route(QStringLiteral("/login/sign-in"),
               HttpReply{200, R"({"errorCode":0,"errorInfo":"","data":{"token":"tk1","userId":"t20001","name":"周老师"}})"});
  server.route(QStringLiteral("/live-service/bgp_login"),
               HttpReply{200, R"({"errorCode":0,"errorInfo":"","data":{"userSig":"v1.9.abc","authBuffer":"ab","hubUrl":"ws://127.0.0.1:9"}})"});
  const Outcome o = signIn(server.baseUrl());
  QCOMPARE(o.error, QString());
  QCOMPARE(o.credentials.userId, QStringLiteral("t20001"));
  QCOMPARE(o.credentials.name, QStringLiteral("周老师"));
  QCOMPARE(o.credentials.userSig, QStringLiteral("v1.9.abc"));
  QCOMPARE(o.credentials.authBuffer, QStringLiteral("ab"));
  QCOMPARE(o.credentials.hubUrl, QStringLiteral("ws://127.0.0.1:9"));
  const QList<testsupport::HttpRequest> requests = server.requests();
  QCOMPARE(requests.size(), 2);
  QCOMPARE(requests.at(0).method, QStringLiteral("POST"));
  QCOMPARE(requests.at(0).params.value("phone"), QStringLiteral("13900000001"));
  QCOMPARE(requests.at(0).params.value("password"), QStringLiteral("te+ach&er01")); // encoded, not mangled
  QCOMPARE(requests.at(1).params.value("token"), QStringLiteral("tk1"));
  QCOMPARE(requests.at(1).params.value("roomId"), QStringLiteral("300101"));
  QCOMPARE(requests.at(1).params.value("role"), QStringLiteral("1"));
}

void TestServiceSignIn::failuresSayWhatToDo_data() {
  QTest::addColumn<QByteArray>("signInReply");
  QTest::addColumn<int>("roomStatus");
  QTest::addColumn<QByteArray>("roomReply");
  QTest::addColumn<QString>("message");
  const QByteArray good = R"({"errorCode":0,"data":{"token":"tk1","userId":"t20001"}})";
  QTest::newRow("wrong password") << QByteArray(R"({"errorCode":10003,"errorInfo":"密码错误","data":{}})") << 200
                                  << QByteArray() << "login/sign-in: refused with errorCode 10003: 密码错误";
  QTest::newRow("no token") << QByteArray(R"({"errorCode":0,"data":{}})") << 200 << QByteArray()
                            << "login/sign-in: the reply has no token";
  QTest::newRow("no such call") << good << 404 << QByteArray(R"({"errorCode":404,"errorInfo":"unknown"})")
                                << "live-service/bgp_login: the class service at";
  QTest::newRow("not an envelope") << good << 200 << QByteArray("<html>") << "answered HTTP 200 without a reply envelope";
  QTest::newRow("no signature") << good << 200 << QByteArray(R"({"errorCode":0,"data":{"name":"x"}})")
                                << "live-service/bgp_login: the reply has no userId or userSig";
}

void TestServiceSignIn::failuresSayWhatToDo() {
  QFETCH(QByteArray, signInReply);
  QFETCH(int, roomStatus);
  QFETCH(QByteArray, roomReply);
  QFETCH(QString, message);
  HttpServer server;
  server.route(QStringLiteral("/login/sign-in"), HttpReply{200, signInReply});
  server.route(QStringLiteral("/live-service/bgp_login"), HttpReply{roomStatus, roomReply});
  const Outcome o = signIn(server.baseUrl());
  QVERIFY2(o.error.contains(message), qPrintable(o.error));
  QVERIFY(o.credentials.userSig.isEmpty());
  if (roomStatus == 404)
    QVERIFY(o.error.contains(QStringLiteral("--secret")));
}

void TestServiceSignIn::unreachableServiceIsNamed() {
  QString url;
  {
    HttpServer gone; // a port that was just free
    url = gone.baseUrl();
  }
  const Outcome o = signIn(url);
  QVERIFY2(o.error.startsWith(QStringLiteral("login/sign-in: no answer from the class service at ") + url),
           qPrintable(o.error));
}

QTEST_GUILESS_MAIN(TestServiceSignIn)
#include "test_servicesignin.moc"

// The classroom's backend calls against a loopback server: exact bodies (key order, values,
// device text), and the guards of the leaving flag and of the answers' codes.
#include "classroom/classbackend.h"
#include "core/deployment.h"
#include "support/httpserver.h"

#include <QTest>

namespace {

struct Recorder : ClassBackendListener {
  bool leaving = false;
  QStringList calls;
  QVariantList lastList;
  QVariantMap lastData;
  int lastCode = -1;

  bool isLeaving() const override { return leaving; }
  void onLoginReply(int code, const QString &, const QVariantMap &data) override {
    note("login", code, data);
  }
  void onEnterReply(int code, const QString &, const QVariantMap &data) override {
    note("enter", code, data);
  }
  void onExitReply(int code, const QString &) override { note("exit", code, {}); }
  void onTeacherInRoomReply(int code, const QString &, const QVariantMap &data) override {
    note("teacher", code, data);
  }
  void onRoomUserReply(const QVariantList &idlist) override {
    lastList = idlist;
    note("room_user", 0, {});
  }
  void onOneRoomUserReply(const QVariantList &idlist) override {
    lastList = idlist;
    note("one_room_user", 0, {});
  }
  void onSignatureReply(const QVariantMap &data) override { note("signature", 0, data); }

  void note(const char *what, int code, const QVariantMap &data) {
    calls << QString::fromLatin1(what);
    lastCode = code;
    lastData = data;
  }
};

const char *const kReplyOk = R"({"errorCode":0,"errorInfo":"","data":{"result":"true"}})";

} // namespace

class TestBackend : public QObject {
  Q_OBJECT

  std::unique_ptr<testsupport::HttpServer> server_;
  Recorder listener_;
  std::unique_ptr<ClassBackend> backend_;

  void route(const QString &path, const QByteArray &body, int delayMs = 0) {
    testsupport::HttpReply r;
    r.body = body;
    r.delayMs = delayMs;
    server_->route(path, r);
  }

  QByteArray lastBody(const QString &path) const {
    for (int i = server_->requests().size() - 1; i >= 0; --i)
      if (server_->requests().at(i).path == path)
        return server_->requests().at(i).body;
    return QByteArray();
  }

  bool answered(const QString &what, int n = 1) {
    return QTest::qWaitFor([&] { return listener_.calls.count(what) >= n; }, 5000);
  }

private slots:
  void init() {
    server_ = std::make_unique<testsupport::HttpServer>();
    Deployment d = Deployment::instance();
    d.backendUrl = server_->baseUrl();
    Deployment::setInstance(d);
    for (const char *p : {"bgp_login", "teacher_in_room", "enter", "heartbeat", "exit", "room_user",
                          "one_room_user"})
      route(QStringLiteral("/live-service/") + QLatin1String(p), kReplyOk);
    route(QStringLiteral("/chat-service/cos_multi_effect_signature2"), kReplyOk);
    listener_ = Recorder();
    backend_ = std::make_unique<ClassBackend>(&listener_, nullptr);
    backend_->setToken(QStringLiteral("tok9"));
    backend_->setRoomId(52001);
    backend_->setLineType(QStringLiteral("normal"));
  }

  void cleanup() {
    backend_.reset();
    server_.reset();
  }

  void bodiesInKeyOrder_data() {
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("bgp_login") << "bgp_login" << "/live-service/bgp_login"
                               << QByteArray("role=0&roomId=52001&token=tok9");
    QTest::newRow("teacher_in_room") << "teacher" << "/live-service/teacher_in_room"
                                     << QByteArray("roomId=52001&token=tok9");
    QTest::newRow("enter normal") << "enter" << "/live-service/enter"
                                  << QByteArray("clientLineType=normal&device=PC2.0_510208_normal"
                                                "&role=0&roomId=52001&token=tok9");
    QTest::newRow("heartbeat on stage, camera up")
        << "heartbeat on" << "/live-service/heartbeat"
        << QByteArray("device=PC2.0_510208_normal&role=2&roomId=52001&token=tok9&up=1");
    QTest::newRow("heartbeat listening")
        << "heartbeat off" << "/live-service/heartbeat"
        << QByteArray("device=PC2.0_510208_normal&role=0&roomId=52001&token=tok9&up=0");
    QTest::newRow("exit") << "exit" << "/live-service/exit" << QByteArray("roomId=52001&token=tok9");
    QTest::newRow("room_user addition") << "room_user 1" << "/live-service/room_user"
                                        << QByteArray("is_addition=1&roomId=52001&token=tok9");
    QTest::newRow("one_room_user") << "one_room_user" << "/live-service/one_room_user"
                                   << QByteArray("roomId=52001&token=tok9&uid=stu_7");
    QTest::newRow("signature") << "signature" << "/chat-service/cos_multi_effect_signature2"
                               << QByteArray("bucketName=public&expired=3600&token=tok9");
  }

  void bodiesInKeyOrder() {
    QFETCH(QString, call);
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    if (call == "bgp_login") backend_->bgpLogin();
    else if (call == "teacher") backend_->teacherInRoom();
    else if (call == "enter") backend_->enter();
    else if (call == "heartbeat on") backend_->heartbeat(true, true);
    else if (call == "heartbeat off") backend_->heartbeat(false, false);
    else if (call == "exit") backend_->exit();
    else if (call == "room_user 1") backend_->roomUser(1);
    else if (call == "one_room_user") backend_->oneRoomUser(QStringLiteral("stu_7"));
    else if (call == "signature") backend_->uploadSignature();
    QVERIFY(server_->waitForRequests(1, 5000));
    QCOMPARE(server_->requests().at(0).method, QStringLiteral("POST"));
    QCOMPARE(server_->requests().at(0).path, path);
    QCOMPARE(server_->requests().at(0).body, body);
  }

  void bgpLineAndLargeRoomNumbers() {
    backend_->setLineType(QStringLiteral("bgp"));
    backend_->setRoomId(-2); // the shell's int carries an unsigned room number
    backend_->enter();
    QVERIFY(server_->waitForRequests(1, 5000));
    const QByteArray body = server_->requests().at(0).body;
    QVERIFY2(body.contains("clientLineType=bgp&device=PC2.0_510208_bgp"), body);
    QVERIFY2(body.contains("roomId=4294967294"), body);
  }

  void leavingStopsTheBackgroundCalls() {
    listener_.leaving = true;
    backend_->heartbeat(true, false);
    backend_->roomUser(0);
    backend_->oneRoomUser(QStringLiteral("stu_7"));
    backend_->uploadSignature();
    backend_->exit(); // the way out still goes
    QVERIFY(server_->waitForRequests(1, 5000));
    QTest::qWait(200);
    QCOMPARE(server_->requestCount(), 1);
    QCOMPARE(server_->requests().at(0).path, QStringLiteral("/live-service/exit"));
  }

  // Answers that come after leaving has begun: the way-in and way-out answers still count,
  // the teacher check, rosters and signature do not.
  void answersAfterLeavingBegan() {
    for (const char *p : {"bgp_login", "enter", "exit", "teacher_in_room", "room_user",
                          "one_room_user"})
      route(QStringLiteral("/live-service/") + QLatin1String(p),
            R"({"errorCode":0,"data":{"idlist":[],"result":"true"}})", 150);
    route(QStringLiteral("/chat-service/cos_multi_effect_signature2"), kReplyOk, 150);
    backend_->bgpLogin();
    backend_->enter();
    backend_->exit();
    backend_->teacherInRoom();
    backend_->roomUser(0);
    backend_->oneRoomUser(QStringLiteral("u"));
    backend_->uploadSignature();
    listener_.leaving = true; // every call is on its way; no answer can have come yet
    QVERIFY(server_->waitForRequests(7, 5000));
    QVERIFY(answered("login") && answered("enter") && answered("exit"));
    QTest::qWait(300);
    QCOMPARE(listener_.calls.size(), 3);
  }

  void rosterAnswersNeedCodeZeroAndIdList() {
    route(QStringLiteral("/live-service/room_user"), R"({"errorCode":5,"data":{"idlist":[{}]}})");
    backend_->roomUser(0);
    route(QStringLiteral("/live-service/one_room_user"), R"({"errorCode":0,"data":{"other":1}})");
    backend_->oneRoomUser(QStringLiteral("u"));
    QVERIFY(server_->waitForRequests(2, 5000));
    QTest::qWait(200);
    QVERIFY(listener_.calls.isEmpty());

    route(QStringLiteral("/live-service/room_user"),
          R"({"errorCode":0,"data":{"idlist":[{"uid":"a"},{"uid":"b"}]}})");
    backend_->roomUser(0);
    QVERIFY(answered("room_user"));
    QCOMPARE(listener_.lastList.size(), 2);
  }

  void signatureAnswerIsReadWhateverItsCode() {
    route(QStringLiteral("/chat-service/cos_multi_effect_signature2"),
          R"({"errorCode":7,"errorInfo":"x","data":{"signature":"s1","expired":1900000000}})");
    backend_->uploadSignature();
    QVERIFY(answered("signature"));
    QCOMPARE(listener_.lastData.value("signature").toString(), QStringLiteral("s1"));
  }

  void errorCodesReachTheWayInAndOut() {
    route(QStringLiteral("/live-service/exit"), R"({"errorCode":10010,"errorInfo":"gone"})");
    backend_->exit();
    QVERIFY(answered("exit"));
    QCOMPARE(listener_.lastCode, 10010);
    route(QStringLiteral("/live-service/teacher_in_room"), "not json");
    backend_->teacherInRoom();
    QVERIFY(answered("teacher"));
    QVERIFY(listener_.lastCode != 0);
  }

  void answerAfterTheBackendIsGoneIsDropped() {
    route(QStringLiteral("/live-service/enter"), kReplyOk, 200);
    backend_->enter();
    QVERIFY(server_->waitForRequests(1, 5000));
    backend_.reset();
    QTest::qWait(500);
    QVERIFY(listener_.calls.isEmpty());
  }
};

QTEST_GUILESS_MAIN(TestBackend)
#include "test_backend.moc"

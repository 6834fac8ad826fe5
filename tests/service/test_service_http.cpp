// tarnwick-local as the client and the pages meet it: a real process on free ports.

#include "support/localservice.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QTcpSocket>
#include <QUrl>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <vector>

namespace {
const QString kPhone = QStringLiteral("13800000001");
const QString kPassword = QStringLiteral("tarnwick01");
const QString kLogin = QStringLiteral("login");
const QString kLive = QStringLiteral("live-service");
const QString kPortal = QStringLiteral("quorvel");
constexpr int kBadToken = 10005;
constexpr int kMissing = 10001;

bool isChinese(const QString &text) {
  for (const QChar c : text)
    if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF) return true;
  return false;
}
} // namespace

class TestServiceHttp : public QObject {
  Q_OBJECT
  LocalService m_service;

  // A refusal as the client must see it: the envelope, a non-zero code, a Chinese text.
  void verifyRefused(const LocalService::Reply &r, int code) {
    QCOMPARE(r.httpStatus, 200);
    QCOMPARE(r.errorCode(), code);
    QVERIFY2(isChinese(r.errorInfo()), qPrintable(r.errorInfo()));
    QVERIFY(r.envelope.value(QStringLiteral("data")).isObject());
  }

  QString codeFromLog(const QString &phone) {
    const QRegularExpression line(QStringLiteral("login/auth-code %1 code (\\d{6})").arg(phone));
    QString code;
    auto it = line.globalMatch(QString::fromUtf8(m_service.output()));
    while (it.hasNext()) code = it.next().captured(1);
    return code;
  }

private slots:
  void initTestCase() { QVERIFY2(m_service.start(), qPrintable(m_service.errorString())); }
  void cleanupTestCase() { QVERIFY(m_service.stop()); }

  void readyLineNamesBothPorts() {
    QVERIFY(m_service.httpPort() != 0);
    QVERIFY(m_service.output().startsWith("tarnwick-local http=" + QByteArray::number(m_service.httpPort()) + " hub="));
  }

  void signInGivesTokenConfigurationAndAvatar() {
    const LocalService::Reply r = m_service.call(kLogin, QStringLiteral("sign-in"),
                                                 {{QStringLiteral("phone"), kPhone}, {QStringLiteral("password"), kPassword}});
    QCOMPARE(r.httpStatus, 200);
    QVERIFY(r.contentType.startsWith("application/json"));
    QCOMPARE(r.errorCode(), 0);
    const QJsonObject d = r.data();
    const QString token = d.value(QStringLiteral("token")).toString();
    QVERIFY(!token.isEmpty());
    QCOMPARE(d.value(QStringLiteral("phone")).toString(), kPhone);
    QCOMPARE(d.value(QStringLiteral("name")).toString(), QStringLiteral("林小雨"));
    const QJsonObject config = d.value(QStringLiteral("config")).toObject();
    for (const char *key : {"live_page_url", "course_page_url", "gold_url", "my_info_url", "modify_password_url"}) {
      const QString url = config.value(QLatin1String(key)).toString();
      // The program appends "&build=1011" to these paths, so each needs its query already.
      QVERIFY2(url.startsWith(QLatin1Char('/')) && url.contains(QLatin1Char('?')), key);
      QVERIFY2(url.contains(token), key);
      QCOMPARE(m_service.get(url + QStringLiteral("&build=1011")).httpStatus, 200);
    }
    QVERIFY(!config.value(QStringLiteral("ver")).toString().isEmpty());
    const QByteArray png = QByteArray::fromBase64(d.value(QStringLiteral("avatar")).toString().toLatin1());
    QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n"));
  }

  void signInRefusals_data() {
    QTest::addColumn<QString>("phone");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("code");
    QTest::newRow("wrong password") << kPhone << QStringLiteral("nope") << 10004;
    QTest::newRow("unknown phone") << QStringLiteral("13812345678") << kPassword << 10003;
    QTest::newRow("malformed phone") << QStringLiteral("12345") << kPassword << 10013;
    QTest::newRow("no phone") << QString() << kPassword << kMissing;
    QTest::newRow("no password") << kPhone << QString() << kMissing;
  }
  void signInRefusals() {
    QFETCH(QString, phone);
    QFETCH(QString, password);
    QFETCH(int, code);
    LocalService::Params params;
    if (!phone.isEmpty()) params.append({QStringLiteral("phone"), phone});
    if (!password.isEmpty()) params.append({QStringLiteral("password"), password});
    const LocalService::Reply r = m_service.call(kLogin, QStringLiteral("sign-in"), params);
    verifyRefused(r, code);
    QVERIFY(!r.data().contains(QStringLiteral("token")));
  }

  void tokenCheck() {
    const QString token = m_service.signIn(QStringLiteral("13800000002"), QStringLiteral("tarnwick02"));
    QVERIFY(!token.isEmpty());
    const LocalService::Reply ok = m_service.call(kLogin, QStringLiteral("check-token"),
                                                  {{QStringLiteral("token"), token}, {QStringLiteral("phone"), QStringLiteral("13800000002")}});
    QCOMPARE(ok.errorCode(), 0);
    QCOMPARE(ok.data().value(QStringLiteral("userId")).toString(), QStringLiteral("s10002"));
    verifyRefused(m_service.call(kLogin, QStringLiteral("check-token"),
                                 {{QStringLiteral("token"), token}, {QStringLiteral("phone"), kPhone}}),
                  kBadToken);
    verifyRefused(m_service.call(kLogin, QStringLiteral("check-token"), {{QStringLiteral("token"), QStringLiteral("f00")}}),
                  kBadToken);
    verifyRefused(m_service.call(kLogin, QStringLiteral("check-token")), kMissing);
    // Signed-in calls refuse a bad token the same way.
    verifyRefused(m_service.call(kPortal, QStringLiteral("classes"), {{QStringLiteral("token"), QStringLiteral("f00")}}),
                  kBadToken);
  }

  void versionIsUpToDateByDefault() {
    const LocalService::Reply r = m_service.call(kLive, QStringLiteral("version"), {{QStringLiteral("online"), QStringLiteral("0")}});
    QCOMPARE(r.errorCode(), 0);
    QCOMPARE(r.data().value(QStringLiteral("version")).toString(), QStringLiteral("3.7.5"));
    QCOMPARE(r.data().value(QStringLiteral("force")), QJsonValue(false));
    QVERIFY(r.data().value(QStringLiteral("url")).toString().startsWith(m_service.baseUrl()));
    verifyRefused(m_service.call(kLive, QStringLiteral("version")), kMissing);
    verifyRefused(m_service.call(kLive, QStringLiteral("version"), {{QStringLiteral("online"), QStringLiteral("yes")}}), 10002);
  }

  void versionReplyComesFromTheGivenFile() {
    QTemporaryDir dir;
    const QString newer = dir.filePath(QStringLiteral("newer.json"));
    QFile f(newer);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("{\"version\":\"3.10.0\",\"url\":\"http://127.0.0.1/pkg/quorvel-3.10.0.tar.gz\",\"force\":true}");
    f.close();
    LocalService forced({QStringLiteral("--version-reply"), newer});
    QVERIFY2(forced.start(), qPrintable(forced.errorString()));
    const LocalService::Reply r = forced.call(kLive, QStringLiteral("version"), {{QStringLiteral("online"), QStringLiteral("1")}});
    QCOMPARE(r.errorCode(), 0);
    QCOMPARE(r.data().value(QStringLiteral("version")).toString(), QStringLiteral("3.10.0"));
    QCOMPARE(r.data().value(QStringLiteral("force")), QJsonValue(true));
    QCOMPARE(r.data().value(QStringLiteral("url")).toString(), QStringLiteral("http://127.0.0.1/pkg/quorvel-3.10.0.tar.gz"));
    QVERIFY(forced.stop());

    // A whole envelope lets a test make the check fail.
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("{\"errorCode\":7,\"errorInfo\":\"维护中\",\"data\":{\"version\":\"9.9.9\"}}");
    f.close();
    LocalService failing({QStringLiteral("--version-reply"), newer});
    QVERIFY(failing.start());
    const LocalService::Reply e = failing.call(kLive, QStringLiteral("version"), {{QStringLiteral("online"), QStringLiteral("0")}});
    QCOMPARE(e.errorCode(), 7);
    QCOMPARE(e.errorInfo(), QStringLiteral("维护中"));

    // An unreadable file stops the start instead of answering something else.
    LocalService broken({QStringLiteral("--version-reply"), dir.filePath(QStringLiteral("missing.json"))});
    QVERIFY(!broken.start(5000));
    QCOMPARE(broken.exitCode(), 1);
  }

  void customerServiceUrlPointsAtTheSupportPage() {
    const LocalService::Reply r = m_service.call(kLive, QStringLiteral("customer_service_url"));
    QCOMPARE(r.errorCode(), 0);
    const QString url = r.data().value(QStringLiteral("customer_service_url")).toString();
    QVERIFY(url.startsWith(m_service.baseUrl() + QLatin1Char('/')));
    const LocalService::Reply page = m_service.get(url.mid(m_service.baseUrl().size()));
    QCOMPARE(page.httpStatus, 200);
    QVERIFY(page.body.contains("技术支持"));
  }

  void authCodeSignsInOnceAndLimitsResending() {
    const QString phone = QStringLiteral("13800000003");
    const LocalService::Reply sent = m_service.call(kLogin, QStringLiteral("auth-code"), {{QStringLiteral("phone"), phone}});
    QCOMPARE(sent.errorCode(), 0);
    QCOMPARE(sent.data().value(QStringLiteral("interval")).toInt(), 60);
    const LocalService::Reply again = m_service.call(kLogin, QStringLiteral("auth-code"), {{QStringLiteral("phone"), phone}});
    verifyRefused(again, 10009);
    QVERIFY(again.errorInfo().contains(QRegularExpression(QStringLiteral("\\d+秒"))));

    QTRY_VERIFY(!codeFromLog(phone).isEmpty());
    const QString code = codeFromLog(phone);
    const LocalService::Params withCode = {{QStringLiteral("phone"), phone}, {QStringLiteral("code"), code}};
    const LocalService::Reply in = m_service.call(kLogin, QStringLiteral("sign-in"), withCode);
    QCOMPARE(in.errorCode(), 0);
    QVERIFY(!in.data().value(QStringLiteral("token")).toString().isEmpty());
    verifyRefused(m_service.call(kLogin, QStringLiteral("sign-in"), withCode), 10011);

    verifyRefused(m_service.call(kLogin, QStringLiteral("auth-code")), kMissing);
    verifyRefused(m_service.call(kLogin, QStringLiteral("auth-code"), {{QStringLiteral("phone"), QStringLiteral("1380000")}}), 10013);
    verifyRefused(m_service.call(kLogin, QStringLiteral("auth-code"), {{QStringLiteral("phone"), QStringLiteral("13899999999")}}), 10003);
  }

  void portalDataCarriesTheEnterCommand() {
    const QString token = m_service.signIn(kPhone, kPassword);
    const LocalService::Reply r = m_service.call(kPortal, QStringLiteral("classes"), {{QStringLiteral("token"), token}});
    QCOMPARE(r.errorCode(), 0);
    const QJsonArray classes = r.data().value(QStringLiteral("classes")).toArray();
    QCOMPARE(classes.size(), 2);
    QStringList lines;
    for (const QJsonValue &v : classes) {
      const QJsonObject command = v.toObject().value(QStringLiteral("enter")).toObject();
      QCOMPARE(command.value(QStringLiteral("action")).toInt(), 1);
      const QJsonObject data = command.value(QStringLiteral("data")).toObject();
      QVERIFY(data.value(QStringLiteral("roomId")).isDouble()); // a number, not text
      QCOMPARE(data.value(QStringLiteral("roomId")).toInt(), v.toObject().value(QStringLiteral("roomId")).toInt());
      QCOMPARE(data.value(QStringLiteral("token")).toString(), token);
      QCOMPARE(data.value(QStringLiteral("masterId")).toString(), QStringLiteral("t20001"));
      for (const char *key : {"id", "courseName", "lessonName"})
        QVERIFY2(!data.value(QLatin1String(key)).toString().isEmpty(), key);
      lines << data.value(QStringLiteral("lineType")).toString();
      QCOMPARE(v.toObject().value(QStringLiteral("teacherInRoom")), QJsonValue(false));
    }
    lines.sort();
    QCOMPARE(lines, QStringList({QStringLiteral("bgp"), QStringLiteral("normal")}));

    const LocalService::Reply info = m_service.call(kPortal, QStringLiteral("user-info"), {{QStringLiteral("token"), token}});
    QCOMPARE(info.data().value(QStringLiteral("name")).toString(), QStringLiteral("林小雨"));
    QVERIFY(info.data().value(QStringLiteral("gold")).isDouble());
  }

  void shopSpendsGoldAndRefusesWhenShort() {
    const QString token = m_service.signIn(QStringLiteral("13800000004"), QStringLiteral("tarnwick04")); // 60 coins
    const auto exchange = [&](const QString &item) {
      return m_service.call(kPortal, QStringLiteral("exchange"), {{QStringLiteral("token"), token}, {QStringLiteral("item"), item}});
    };
    const LocalService::Reply badge = exchange(QStringLiteral("g04")); // 50
    QCOMPARE(badge.errorCode(), 0);
    QCOMPARE(badge.data().value(QStringLiteral("gold")).toInt(), 10);
    verifyRefused(exchange(QStringLiteral("g04")), 10016);
    verifyRefused(exchange(QStringLiteral("nope")), 10017);
    const LocalService::Reply shop = m_service.call(kPortal, QStringLiteral("shop"), {{QStringLiteral("token"), token}});
    QCOMPARE(shop.data().value(QStringLiteral("gold")).toInt(), 10);
  }

  // The change ends every old token, the caller's other sessions included; the caller goes
  // on with the token of the answer.
  void passwordChange() {
    const QString phone = QStringLiteral("13800000002");
    QString token = m_service.signIn(phone, QStringLiteral("tarnwick02"));
    const QString otherSession = m_service.signIn(phone, QStringLiteral("tarnwick02"));
    const auto change = [&](const QString &oldPw, const QString &newPw) {
      return m_service.call(kLogin, QStringLiteral("modify-password"),
                            {{QStringLiteral("token"), token}, {QStringLiteral("old_password"), oldPw},
                             {QStringLiteral("new_password"), newPw}});
    };
    const auto tokenWorks = [&](const QString &t) {
      return m_service.call(kLogin, QStringLiteral("check-token"), {{QStringLiteral("token"), t}}).errorCode() == 0;
    };
    verifyRefused(change(QStringLiteral("wrong"), QStringLiteral("newpass1")), 10004);
    verifyRefused(change(QStringLiteral("tarnwick02"), QStringLiteral("12345")), 10014);
    const LocalService::Reply changed = change(QStringLiteral("tarnwick02"), QStringLiteral("p&ss+word 1"));
    QCOMPARE(changed.errorCode(), 0);
    QVERIFY(!tokenWorks(token));
    QVERIFY(!tokenWorks(otherSession));
    token = changed.data().value(QStringLiteral("token")).toString();
    QVERIFY(tokenWorks(token));
    QVERIFY(m_service.signIn(phone, QStringLiteral("tarnwick02")).isEmpty());
    QVERIFY(!m_service.signIn(phone, QStringLiteral("p&ss+word 1")).isEmpty());
    QCOMPARE(change(QStringLiteral("p&ss+word 1"), QStringLiteral("tarnwick02")).errorCode(), 0);
  }

  void pagesAreServedWithTheirTypes_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("marker");
    QTest::newRow("sign-in") << QStringLiteral("/client-login/login?build=1011") << QByteArray("text/html") << QByteArray("loginForm");
    QTest::newRow("style") << QStringLiteral("/assets/css/tarnwick.css") << QByteArray("text/css") << QByteArray("#FFC82E");
    QTest::newRow("bridge") << QStringLiteral("/assets/js/bridge.js") << QByteArray("application/javascript") << QByteArray("window.tarnwick");
    QTest::newRow("logo") << QStringLiteral("/assets/img/logo.svg") << QByteArray("image/svg+xml") << QByteArray("<svg");
    QTest::newRow("live tab") << QStringLiteral("/portal/live?build=1011") << QByteArray("text/html") << QByteArray("今日直播");
    QTest::newRow("course tab") << QStringLiteral("/portal/course?build=1011") << QByteArray("text/html") << QByteArray("course.js");
    QTest::newRow("downloads") << QStringLiteral("/portal/download?build=1011") << QByteArray("text/html") << QByteArray("资料下载");
    QTest::newRow("chat page") << QStringLiteral("/static/live/chat_v5.html") << QByteArray("text/html") << QByteArray("chat_v5.js");
    QTest::newRow("chat script") << QStringLiteral("/static/live/chat_v5.js") << QByteArray("application/javascript") << QByteArray("\"imageView\"");
    QTest::newRow("chat face") << QStringLiteral("/static/png/emoji/image139.png") << QByteArray("image/png") << QByteArray("PNG");
  }
  void pagesAreServedWithTheirTypes() {
    QFETCH(QString, path);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, marker);
    const LocalService::Reply r = m_service.get(path);
    QCOMPARE(r.httpStatus, 200);
    QVERIFY2(r.contentType.startsWith(type), r.contentType.constData());
    QVERIFY(r.body.contains(marker));
  }

  void signInPageUsesTheBridgeCalls() {
    const QByteArray js = m_service.get(QStringLiteral("/assets/js/login.js")).body;
    for (const char *call : {"\"loadPassword\"", "\"fillPassword\"", "\"storePassword\"", "\"setToken\"", "\"onDragAreaMouseDown\""})
      QVERIFY2(js.contains(call), call);
    QVERIFY(js.contains("\"login\", \"sign-in\""));
  }

  void portalEntryChecksTheToken() {
    const QString token = m_service.signIn(kPhone, kPassword);
    const QString query = QStringLiteral("/check-token?phone=%1&token=%2&socketPort=0&useCefChannel=true&useWebReplay=true&ver=2.6.0&build=1011");
    const LocalService::Reply ok = m_service.get(query.arg(kPhone, token));
    QCOMPARE(ok.httpStatus, 200);
    QVERIFY(ok.body.contains("今日直播"));
    for (const QString &bad : {query.arg(kPhone, QStringLiteral("0badc0de")), query.arg(QStringLiteral("13800000002"), token),
                               QStringLiteral("/check-token")}) {
      const LocalService::Reply r = m_service.get(bad);
      QCOMPARE(r.httpStatus, 401);
      QVERIFY(r.contentType.startsWith("text/html"));
      QVERIFY(r.body.contains("登录已失效"));
      QVERIFY(!r.body.contains("{{"));
    }
  }

  void downloadsAreAttachmentsWithTheirTitles() {
    const QString token = m_service.signIn(kPhone, kPassword);
    const LocalService::Reply list = m_service.call(kPortal, QStringLiteral("downloads"), {{QStringLiteral("token"), token}});
    const QJsonArray files = list.data().value(QStringLiteral("files")).toArray();
    QVERIFY(files.size() >= 2);
    for (const QJsonValue &v : files) {
      const QJsonObject f = v.toObject();
      const LocalService::Reply r = m_service.get(f.value(QStringLiteral("url")).toString());
      QCOMPARE(r.httpStatus, 200);
      QCOMPARE(qint64(r.body.size()), qint64(f.value(QStringLiteral("size")).toDouble()));
    }
    // The saved name is the student-facing title, percent-encoded UTF-8.
    QNetworkAccessManager nam;
    QNetworkReply *reply = nam.get(QNetworkRequest(QUrl(m_service.baseUrl() + QStringLiteral("/files/math-lesson5-notes.txt"))));
    QTRY_VERIFY(reply->isFinished());
    const QByteArray disposition = reply->rawHeader("Content-Disposition");
    QVERIFY(disposition.startsWith("attachment;"));
    QVERIFY(disposition.contains("filename*=UTF-8''" + QUrl::toPercentEncoding(QStringLiteral("第5讲 一次函数讲义.txt"))));
    delete reply;
  }

  void unknownAddresses() {
    const LocalService::Reply page = m_service.get(QStringLiteral("/portal/nothing-here"));
    QCOMPARE(page.httpStatus, 404);
    QVERIFY(page.body.contains("页面不存在"));
    for (const QString &p : {QStringLiteral("/assets/../service/seed.json"), QStringLiteral("/files/..%2F..%2Fservice%2Fseed.json"),
                             QStringLiteral("/portal/..%2Flogin")})
      QVERIFY2(!m_service.get(p).body.contains("\"students\""), qPrintable(p));
    // Only the faces themselves are served from beside the program.
    for (const QString &p : {QStringLiteral("/static/png/emoji/image140.png"), QStringLiteral("/static/png/emoji/..%2Fdeployment.ini"),
                             QStringLiteral("/static/png/emoji/image1.png")})
      QCOMPARE(m_service.get(p).httpStatus, 404);
    const LocalService::Reply api = m_service.call(kLive, QStringLiteral("no_such_call"));
    QCOMPARE(api.httpStatus, 404);
    QCOMPARE(api.errorCode(), 404);
    QVERIFY(isChinese(api.errorInfo()));
    QCOMPARE(m_service.call(QStringLiteral("nobody"), QStringLiteral("x")).httpStatus, 404);
  }

  void malformedRequestsNeverStopTheService() {
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i) binary[i] = char((i * 131) & 0xFF);
    const QList<QPair<QByteArray, QByteArray>> bodies = {
        {"application/x-www-form-urlencoded", binary},
        {"application/x-www-form-urlencoded", "%%%&&&===%E4%B8&phone=%FF%FE&password"},
        {"application/json", "{\"phone\":\"13800000001\",\"password\":\"tarnwick01\"}"},
        {"multipart/form-data; boundary=x", "--x\r\nContent-Disposition: form-data; name=\"phone\"\r\n\r\n1\r\n--x--"},
        {QByteArray(), "phone=" + QByteArray(200000, '1') + "&password=" + QByteArray(200000, 'x')},
    };
    for (const auto &b : bodies) {
      const LocalService::Reply r = m_service.postRaw(QStringLiteral("/login/sign-in"), b.second, b.first);
      // Refused by a handler (200) or by the HTTP layer (4xx), always with an envelope.
      QVERIFY2(r.httpStatus == 200 || (r.httpStatus >= 400 && r.httpStatus < 500), b.first.constData());
      QVERIFY(r.errorCode() != 0);
      QVERIFY(isChinese(r.errorInfo()));
    }
    // Too large a body is refused before any handler, still with an envelope.
    const LocalService::Reply huge = m_service.postRaw(QStringLiteral("/login/sign-in"), QByteArray(17 * 1024 * 1024, 'a'));
    QVERIFY(huge.httpStatus >= 400);
    QVERIFY(m_service.isRunning());
    QVERIFY(!m_service.signIn(kPhone, kPassword).isEmpty());
  }

  void stopSignalsEndTheServiceCleanly() {
    LocalService terminated;
    QVERIFY(terminated.start());
    QVERIFY(terminated.stop()); // SIGTERM
    QCOMPARE(terminated.exitStatus(), QProcess::NormalExit);
    QCOMPARE(terminated.exitCode(), 0);
    QVERIFY(terminated.output().contains("stopped"));

    LocalService interrupted;
    QVERIFY(interrupted.start());
    QCOMPARE(::kill(pid_t(interrupted.processId()), SIGINT), 0);
    QVERIFY(interrupted.waitForExit());
    QCOMPARE(interrupted.exitStatus(), QProcess::NormalExit);
    QCOMPARE(interrupted.exitCode(), 0);
  }

  void busyPortIsReported() {
    LocalService clash({QStringLiteral("--port"), QString::number(m_service.httpPort())});
    QVERIFY(!clash.start(5000));
    QCOMPARE(clash.exitCode(), 1);
    QVERIFY(clash.output().contains("cannot listen"));
  }

  // Twelve clients that trickle their headers a byte at a time tie up no more than their
  // share: the sign-in page is still served at once, and the trickling connections are cut.
  void slowClientsLeaveTheServiceReachable() {
    const quint16 port = quint16(QUrl(m_service.baseUrl()).port());
    std::vector<std::unique_ptr<QTcpSocket>> slow;
    for (int i = 0; i < 12; ++i) {
      slow.push_back(std::make_unique<QTcpSocket>());
      slow.back()->connectToHost(QStringLiteral("127.0.0.1"), port);
      QVERIFY(slow.back()->waitForConnected(3000));
      slow.back()->write("GET /client-login/login HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ");
    }
    QElapsedTimer clock;
    clock.start();
    bool answered = false;
    int openLeft = 0;
    // Bounded: 40 rounds of 250 ms. Every slow client sends one more byte each round.
    for (int round = 0; round < 40; ++round) {
      for (auto &s : slow) {
        s->write("a");
        s->waitForBytesWritten(50);
      }
      if (round == 4) {
        clock.restart();
        const LocalService::Reply page = m_service.get(QStringLiteral("/client-login/login?build=1011"));
        QCOMPARE(page.httpStatus, 200);
        answered = clock.elapsed() < 3000;
      }
      QTest::qWait(250);
      openLeft = 0;
      for (auto &s : slow) openLeft += s->state() == QAbstractSocket::ConnectedState ? 1 : 0;
      if (round > 4 && openLeft == 0) break;
    }
    QVERIFY2(answered, "the page waited for the slow clients");
    QCOMPARE(openLeft, 0);
  }
};

QTEST_GUILESS_MAIN(TestServiceHttp)
#include "test_service_http.moc"

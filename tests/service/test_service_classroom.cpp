// The classroom's calls against a running tarnwick-local: class sign-in with hub credentials,
// teacher presence (over HTTP and through the hub), enter, heartbeat, exit, the rosters and
// the upload signature.

#include "protocol/protocol.h"
#include "protocol/roomgrant.h"
#include "service/credentialissuer.h"
#include "service/signer.h"
#include "support/localservice.h"

#include "protocol/usersig.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QWebSocket>

namespace {
const QString kLive = QStringLiteral("live-service");
const QString kNormalRoom = QStringLiteral("300101");
const QString kBgpRoom = QStringLiteral("300102");
const QString kDeviceNormal = QStringLiteral("PC2.0_510208_normal");
constexpr int kMissing = 10001;
constexpr int kBadParameter = 10002;
constexpr int kBadToken = 10005;
constexpr int kUnknownRoom = 10006;
constexpr int kNotInRoom = 10010;
} // namespace

class TestServiceClassroom : public QObject {
  Q_OBJECT
  LocalService m_service;
  QString m_student;  // 13800000001, s10001
  QString m_student2; // 13800000002, s10002
  QString m_teacher;  // 13900000001, t20001

  LocalService::Reply live(const QString &path, const LocalService::Params &params) {
    return m_service.call(kLive, path, params);
  }
  LocalService::Params room(const QString &token, const QString &roomId = kNormalRoom) {
    return {{QStringLiteral("token"), token}, {QStringLiteral("roomId"), roomId}};
  }
  LocalService::Reply enter(const QString &token, const QString &role = QStringLiteral("0")) {
    return live(QStringLiteral("enter"), room(token) + LocalService::Params{{QStringLiteral("device"), kDeviceNormal},
                                                                              {QStringLiteral("clientLineType"), QStringLiteral("normal")},
                                                                              {QStringLiteral("role"), role}});
  }
  LocalService::Reply heartbeat(const QString &token, const QString &role, const QString &up) {
    return live(QStringLiteral("heartbeat"), room(token) + LocalService::Params{{QStringLiteral("device"), kDeviceNormal},
                                                                                  {QStringLiteral("role"), role},
                                                                                  {QStringLiteral("up"), up}});
  }
  QString teacherInRoom(const QString &token) {
    const LocalService::Reply r = live(QStringLiteral("teacher_in_room"), room(token));
    return r.errorCode() == 0 ? r.data().value(QStringLiteral("result")).toString() : QStringLiteral("error");
  }
  QJsonArray roster(const QString &token) {
    return live(QStringLiteral("room_user"), room(token) + LocalService::Params{{QStringLiteral("is_addition"), QStringLiteral("0")}})
        .data()
        .value(QStringLiteral("idlist"))
        .toArray();
  }
  static QJsonObject find(const QJsonArray &list, const QString &uid) {
    for (const QJsonValue &v : list)
      if (v.toObject().value(QStringLiteral("uid")).toString() == uid) return v.toObject();
    return QJsonObject();
  }
  void verifyRefused(const LocalService::Reply &r, int code) {
    QCOMPARE(r.errorCode(), code);
    QVERIFY(!r.errorInfo().isEmpty());
    QVERIFY2(r.errorInfo().at(0).unicode() > 0x2E80, qPrintable(r.errorInfo())); // Chinese text
  }

private slots:
  void initTestCase() {
    QVERIFY2(m_service.start(), qPrintable(m_service.errorString()));
    m_student = m_service.signIn(QStringLiteral("13800000001"), QStringLiteral("tarnwick01"));
    m_student2 = m_service.signIn(QStringLiteral("13800000002"), QStringLiteral("tarnwick02"));
    m_teacher = m_service.signIn(QStringLiteral("13900000001"), QStringLiteral("teacher01"));
    QVERIFY(!m_student.isEmpty() && !m_student2.isEmpty() && !m_teacher.isEmpty());
  }
  void cleanupTestCase() { QVERIFY(m_service.stop()); }

  void classSignInGivesHubCredentials() {
    const LocalService::Reply normal =
        live(QStringLiteral("bgp_login"), room(m_student) + LocalService::Params{{QStringLiteral("role"), QStringLiteral("0")}});
    QCOMPARE(normal.errorCode(), 0);
    const QJsonObject d = normal.data();
    QCOMPARE(d.value(QStringLiteral("userId")).toString(), QStringLiteral("s10001"));
    QCOMPARE(d.value(QStringLiteral("name")).toString(), QStringLiteral("林小雨"));
    // Every line has a room grant now: the hub lets nobody in without one.
    QCOMPARE(d.value(QStringLiteral("lineType")).toString(), QStringLiteral("normal"));
    roomgrant::Grant grant;
    QCOMPARE(roomgrant::verify(m_service.secret(), d.value(QStringLiteral("authBuffer")).toString(),
                               QStringLiteral("s10001"), 300101, QDateTime::currentSecsSinceEpoch(), &grant),
             roomgrant::Check::Ok);
    QCOMPARE(grant.role, QStringLiteral("Guest"));
    const QString sig = d.value(QStringLiteral("userSig")).toString();
    QVERIFY(!sig.isEmpty());
    // Signed with the secret the hub checks, for this user only.
    QCOMPARE(usersig::verifyNow(m_service.secret(), QStringLiteral("s10001"), sig), usersig::Check::Ok);
    QCOMPARE(usersig::verifyNow(m_service.secret(), QStringLiteral("s10002"), sig), usersig::Check::BadSignature);
    QCOMPARE(d.value(QStringLiteral("hubUrl")).toString(), m_service.hubUrl());

    const LocalService::Reply bgp =
        live(QStringLiteral("bgp_login"), room(m_student, kBgpRoom) + LocalService::Params{{QStringLiteral("role"), QStringLiteral("0")}});
    QCOMPARE(bgp.errorCode(), 0);
    const QString buffer = bgp.data().value(QStringLiteral("authBuffer")).toString();
    QCOMPARE(bgp.data().value(QStringLiteral("lineType")).toString(), QStringLiteral("bgp"));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QCOMPARE(roomgrant::verify(m_service.secret(), buffer, QStringLiteral("s10001"), 300102, now), roomgrant::Check::Ok);
    QCOMPARE(roomgrant::verify(m_service.secret(), buffer, QStringLiteral("s10001"), 300101, now),
             roomgrant::Check::OtherRoom);
    QCOMPARE(roomgrant::verify(m_service.secret(), buffer, QStringLiteral("s10002"), 300102, now),
             roomgrant::Check::OtherUser);
  }

  // The class's teacher asking as the teacher is the only one whose grant teaches.
  void onlyTheTeachersSignInGrantsTheTeacherRole() {
    const auto grantRole = [&](const QString &token, const QString &role) {
      const QJsonObject d = live(QStringLiteral("bgp_login"), room(token) + LocalService::Params{{QStringLiteral("role"), role}}).data();
      roomgrant::Grant grant;
      const roomgrant::Check check = roomgrant::verify(m_service.secret(), d.value(QStringLiteral("authBuffer")).toString(),
                                                       d.value(QStringLiteral("userId")).toString(), 300101,
                                                       QDateTime::currentSecsSinceEpoch(), &grant);
      return check == roomgrant::Check::Ok ? grant.role : QStringLiteral("refused");
    };
    QCOMPARE(grantRole(m_teacher, QStringLiteral("1")), QStringLiteral("LiveMaster"));
    QCOMPARE(grantRole(m_teacher, QStringLiteral("0")), QStringLiteral("Guest"));
    QCOMPARE(grantRole(m_student, QStringLiteral("2")), QStringLiteral("Guest"));
  }

  void callsRefuseBadTokensRoomsAndParameters_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<int>("code");
    const QString tok = QStringLiteral("@student");
    QTest::newRow("bad token") << "bgp_login" << QStringList{"token", "0bad", "roomId", "300101", "role", "0"} << kBadToken;
    QTest::newRow("no token") << "teacher_in_room" << QStringList{"roomId", "300101"} << kMissing;
    QTest::newRow("unknown room") << "bgp_login" << QStringList{"token", tok, "roomId", "999", "role", "0"} << kUnknownRoom;
    QTest::newRow("room not a number") << "enter" << QStringList{"token", tok, "roomId", "abc"} << kBadParameter;
    QTest::newRow("no room") << "room_user" << QStringList{"token", tok, "is_addition", "0"} << kMissing;
    QTest::newRow("no role") << "bgp_login" << QStringList{"token", tok, "roomId", "300101"} << kMissing;
    QTest::newRow("student as teacher") << "bgp_login" << QStringList{"token", tok, "roomId", "300101", "role", "1"} << 10007;
    QTest::newRow("odd role") << "bgp_login" << QStringList{"token", tok, "roomId", "300101", "role", "9"} << kBadParameter;
    QTest::newRow("enter without device")
        << "enter" << QStringList{"token", tok, "roomId", "300101", "clientLineType", "normal", "role", "0"} << kMissing;
    QTest::newRow("enter on the wrong line")
        << "enter" << QStringList{"token", tok, "roomId", "300102", "device", "d", "clientLineType", "normal", "role", "0"} << 10008;
    QTest::newRow("heartbeat without up")
        << "heartbeat" << QStringList{"token", tok, "roomId", "300101", "device", "d", "role", "0"} << kMissing;
    QTest::newRow("heartbeat with odd up")
        << "heartbeat" << QStringList{"token", tok, "roomId", "300101", "device", "d", "role", "0", "up", "yes"} << kBadParameter;
    QTest::newRow("roster without is_addition") << "room_user" << QStringList{"token", tok, "roomId", "300101"} << kMissing;
    QTest::newRow("one member without uid") << "one_room_user" << QStringList{"token", tok, "roomId", "300101"} << kMissing;
    QTest::newRow("exit when never entered") << "exit" << QStringList{"token", tok, "roomId", "300102"} << kNotInRoom;
  }
  void callsRefuseBadTokensRoomsAndParameters() {
    QFETCH(QString, path);
    QFETCH(QStringList, params);
    QFETCH(int, code);
    LocalService::Params p;
    for (int i = 0; i + 1 < params.size(); i += 2)
      p.append({params.at(i), params.at(i + 1) == QLatin1String("@student") ? m_student : params.at(i + 1)});
    verifyRefused(live(path, p), code);
  }

  void teacherPresenceOverHttp() {
    QCOMPARE(teacherInRoom(m_student), QStringLiteral("false"));
    QCOMPARE(live(QStringLiteral("bgp_login"), room(m_teacher) + LocalService::Params{{QStringLiteral("role"), QStringLiteral("1")}})
                 .errorCode(),
             0);
    QCOMPARE(enter(m_teacher, QStringLiteral("1")).errorCode(), 0);
    QCOMPARE(teacherInRoom(m_student), QStringLiteral("true"));
    QCOMPARE(find(roster(m_student), QStringLiteral("t20001")).value(QStringLiteral("role")).toString(), QStringLiteral("1"));
    QCOMPARE(live(QStringLiteral("exit"), room(m_teacher)).errorCode(), 0);
    QCOMPARE(teacherInRoom(m_student), QStringLiteral("false"));
  }

  void enterHeartbeatAndExitKeepTheRoster() {
    const LocalService::Reply in = enter(m_student);
    QCOMPARE(in.errorCode(), 0);
    QCOMPARE(in.data().value(QStringLiteral("refresh_interval")).toInt(), 30);
    QCOMPARE(enter(m_student2).errorCode(), 0);

    QJsonArray list = roster(m_student);
    QJsonObject me = find(list, QStringLiteral("s10001"));
    QCOMPARE(me.value(QStringLiteral("name")).toString(), QStringLiteral("林小雨"));
    QCOMPARE(me.value(QStringLiteral("role")).toString(), QStringLiteral("0"));
    QCOMPARE(me.value(QStringLiteral("device")).toString(), kDeviceNormal);
    QCOMPARE(me.value(QStringLiteral("full_device")).toString(), kDeviceNormal);
    QCOMPARE(me.value(QStringLiteral("offline")).toString(), QStringLiteral("0"));
    QVERIFY(me.value(QStringLiteral("sort")).isDouble());
    const int mySort = me.value(QStringLiteral("sort")).toInt();
    QVERIFY(find(list, QStringLiteral("s10002")).value(QStringLiteral("sort")).toInt() > mySort);

    // On stage with the camera: the roster shows it and the notice id moves on.
    const qint64 before = qint64(heartbeat(m_student, QStringLiteral("0"), QStringLiteral("0")).data().value(QStringLiteral("notify_id")).toDouble());
    const LocalService::Reply beat = heartbeat(m_student, QStringLiteral("2"), QStringLiteral("1"));
    QCOMPARE(beat.errorCode(), 0);
    QVERIFY(qint64(beat.data().value(QStringLiteral("notify_id")).toDouble()) > before);
    me = find(roster(m_student), QStringLiteral("s10001"));
    QCOMPARE(me.value(QStringLiteral("role")).toString(), QStringLiteral("2"));
    QCOMPARE(me.value(QStringLiteral("up")).toString(), QStringLiteral("1"));
    QCOMPARE(me.value(QStringLiteral("sort")).toInt(), mySort);

    const LocalService::Reply one = live(QStringLiteral("one_room_user"), room(m_student2) + LocalService::Params{{QStringLiteral("uid"), QStringLiteral("s10001")}});
    QCOMPARE(one.errorCode(), 0);
    QCOMPARE(one.data().value(QStringLiteral("idlist")).toArray().size(), 1);
    QCOMPARE(one.data().value(QStringLiteral("idlist")).toArray().at(0).toObject().value(QStringLiteral("uid")).toString(), QStringLiteral("s10001"));
    const LocalService::Reply nobody = live(QStringLiteral("one_room_user"), room(m_student2) + LocalService::Params{{QStringLiteral("uid"), QStringLiteral("s10004")}});
    QCOMPARE(nobody.errorCode(), 0);
    QVERIFY(nobody.data().value(QStringLiteral("idlist")).toArray().isEmpty());

    QCOMPARE(live(QStringLiteral("exit"), room(m_student)).errorCode(), 0);
    QVERIFY(find(roster(m_student2), QStringLiteral("s10001")).isEmpty());
    verifyRefused(live(QStringLiteral("exit"), room(m_student)), kNotInRoom);
    // A heartbeat from someone the service lost track of brings them back.
    QCOMPARE(heartbeat(m_student, QStringLiteral("0"), QStringLiteral("0")).errorCode(), 0);
    QVERIFY(!find(roster(m_student2), QStringLiteral("s10001")).isEmpty());
    QCOMPARE(live(QStringLiteral("exit"), room(m_student)).errorCode(), 0);
    QCOMPARE(live(QStringLiteral("exit"), room(m_student2)).errorCode(), 0);
  }

  void renamedStudentShowsUnderTheNewName() {
    QCOMPARE(enter(m_student2).errorCode(), 0);
    const LocalService::Reply r = m_service.call(QStringLiteral("quorvel"), QStringLiteral("edit-student-name"),
                                                 {{QStringLiteral("token"), m_student2}, {QStringLiteral("name"), QStringLiteral("陈子墨-二班")}});
    QCOMPARE(r.errorCode(), 0);
    QCOMPARE(r.data().value(QStringLiteral("name")).toString(), QStringLiteral("陈子墨-二班"));
    // At once, for everyone in the room: no heartbeat in between.
    QCOMPARE(find(roster(m_student), QStringLiteral("s10002")).value(QStringLiteral("name")).toString(), QStringLiteral("陈子墨-二班"));
    QCOMPARE(heartbeat(m_student2, QStringLiteral("0"), QStringLiteral("0")).errorCode(), 0);
    QCOMPARE(find(roster(m_student2), QStringLiteral("s10002")).value(QStringLiteral("name")).toString(), QStringLiteral("陈子墨-二班"));
    const LocalService::Reply bad = m_service.call(QStringLiteral("quorvel"), QStringLiteral("edit-student-name"),
                                                   {{QStringLiteral("token"), m_student2}, {QStringLiteral("name"), QStringLiteral("2班")}});
    verifyRefused(bad, 10015);
    QCOMPARE(bad.errorInfo(), QStringLiteral("姓名不能以数字开头！"));
    const LocalService::Reply fullWidth = m_service.call(QStringLiteral("quorvel"), QStringLiteral("edit-student-name"),
                                                         {{QStringLiteral("token"), m_student2}, {QStringLiteral("name"), QStringLiteral("２班张三")}});
    verifyRefused(fullWidth, 10015);
    QCOMPARE(fullWidth.errorInfo(), QStringLiteral("姓名不能以数字开头！"));
    QCOMPARE(live(QStringLiteral("exit"), room(m_student2)).errorCode(), 0);
  }

  void refreshIntervalIsConfigurable() {
    LocalService other({QStringLiteral("--refresh-interval"), QStringLiteral("45")});
    QVERIFY(other.start());
    const QString token = other.signIn(QStringLiteral("13800000001"), QStringLiteral("tarnwick01"));
    const LocalService::Reply r = other.call(kLive, QStringLiteral("enter"),
                                             {{QStringLiteral("token"), token}, {QStringLiteral("roomId"), kBgpRoom},
                                              {QStringLiteral("device"), QStringLiteral("PC2.0_510208_bgp")},
                                              {QStringLiteral("clientLineType"), QStringLiteral("bgp")}, {QStringLiteral("role"), QStringLiteral("0")}});
    QCOMPARE(r.errorCode(), 0);
    QCOMPARE(r.data().value(QStringLiteral("refresh_interval")).toInt(), 45);
  }

  void uploadSignature() {
    const auto ask = [&](const QString &bucket, const QString &expired, const QString &token) {
      return m_service.call(QStringLiteral("chat-service"), QStringLiteral("cos_multi_effect_signature2"),
                            {{QStringLiteral("bucketName"), bucket}, {QStringLiteral("expired"), expired}, {QStringLiteral("token"), token}});
    };
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const LocalService::Reply r = ask(QStringLiteral("public"), QStringLiteral("3600"), m_student);
    QCOMPARE(r.errorCode(), 0);
    const qint64 expiry = qint64(r.data().value(QStringLiteral("expired")).toDouble());
    QVERIFY(expiry >= now + 3600 - 5 && expiry <= now + 3600 + 5);
    const Signer signer(m_service.secret());
    const CredentialIssuer issuer(signer);
    QString user;
    QVERIFY(issuer.checkUploadSignature(r.data().value(QStringLiteral("signature")).toString(), QStringLiteral("public"), &user));
    QCOMPARE(user, QStringLiteral("s10001"));
    QVERIFY(!issuer.checkUploadSignature(r.data().value(QStringLiteral("signature")).toString(), QStringLiteral("private"), &user));

    verifyRefused(ask(QStringLiteral("secret-bucket"), QStringLiteral("3600"), m_student), 10012);
    verifyRefused(ask(QStringLiteral("public"), QStringLiteral("0"), m_student), kBadParameter);
    verifyRefused(ask(QStringLiteral("public"), QStringLiteral("-1"), m_student), kBadParameter);
    verifyRefused(ask(QStringLiteral("public"), QStringLiteral("3600"), QStringLiteral("0bad")), kBadToken);
    verifyRefused(ask(QString(), QStringLiteral("3600"), m_student), kMissing);
  }

  void hubMembershipCountsAsPresence() {
    if (m_service.hubPort() == 0) QSKIP("this build has no class hub");
    const QJsonObject teacherLogin =
        live(QStringLiteral("bgp_login"), room(m_teacher) + LocalService::Params{{QStringLiteral("role"), QStringLiteral("1")}}).data();
    QWebSocket socket;
    QList<QJsonObject> replies;
    connect(&socket, &QWebSocket::textMessageReceived, this, [&](const QString &text) {
      const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
      if (o.value(QStringLiteral("type")).toString() == QLatin1String("reply")) replies.append(o);
    });
    socket.open(QUrl(m_service.hubUrl()));
    QTRY_COMPARE(socket.state(), QAbstractSocket::ConnectedState);
    const auto send = [&](QJsonObject o) {
      o.insert(QStringLiteral("v"), hubproto::kVersion);
      socket.sendTextMessage(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
    };
    send({{QStringLiteral("type"), QStringLiteral("login")}, {QStringLiteral("id"), 1},
          {QStringLiteral("userId"), teacherLogin.value(QStringLiteral("userId"))},
          {QStringLiteral("userSig"), teacherLogin.value(QStringLiteral("userSig"))}});
    QTRY_COMPARE(replies.size(), 1);
    QCOMPARE(replies.at(0).value(QStringLiteral("code")).toInt(), 0);
    QCOMPARE(teacherInRoom(m_student), QStringLiteral("false")); // signed in, not yet in the room
    send({{QStringLiteral("type"), QStringLiteral("join")}, {QStringLiteral("id"), 2},
          {QStringLiteral("roomId"), 300101}, {QStringLiteral("role"), QStringLiteral("LiveMaster")},
          {QStringLiteral("authBuffer"), teacherLogin.value(QStringLiteral("authBuffer"))}});
    QTRY_COMPARE(replies.size(), 2);
    QCOMPARE(replies.at(1).value(QStringLiteral("code")).toInt(), 0);
    QTRY_COMPARE(teacherInRoom(m_student), QStringLiteral("true"));
    QCOMPARE(find(roster(m_student), QStringLiteral("t20001")).value(QStringLiteral("offline")).toString(), QStringLiteral("0"));
    // Leaving the group ends the presence at once (a dropped link only after its seat's hold).
    send({{QStringLiteral("type"), QStringLiteral("quit")}, {QStringLiteral("id"), 3}});
    QTRY_COMPARE(teacherInRoom(m_student), QStringLiteral("false"));
    socket.close();
  }
};

QTEST_GUILESS_MAIN(TestServiceClassroom)
#include "test_service_classroom.moc"

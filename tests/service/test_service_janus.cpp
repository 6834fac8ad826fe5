// Media on Janus, against a real Janus inside the test's own network namespace and the built
// tarnwick-local: the class sign-in makes the class's VideoRoom and hands out tokens and feed
// ids; Janus lets in only holders of a current token; the service's guard kicks feeds nobody
// holds, wrong names, participants on handles their feed's holder did not open, and publishers
// without the teacher's stage grant.

#include "support/janusclient.h"
#include "support/janusengine.h"
#include "support/localservice.h"
#include "support/servicemember.h"
#include "support/webrtcpublisher.h"

#include "protocol/janushandletag.h"
#include "sdk/net/webrtc/janusmediatransport.h"

#include <QJsonArray>
#include <QTest>

#include <memory>

namespace {
constexpr quint32 kRoom = 300101;
const QString kStudentId = QStringLiteral("s10001");
const QString kTeacherId = QStringLiteral("t20001");
constexpr int kUnauthorized = 403;     // Janus: no or an unknown token
constexpr int kRoomUnauthorized = 433; // VideoRoom: not on the token list, or no admin key
// The guard looks every second; a busy machine gets a few more.
constexpr int kGuardWaitMs = 8000;
constexpr int kMediaWaitMs = 15000;

struct Seat {
  QString url;
  qint64 room = 0;
  QString token;
  quint64 feed = 0;
};

int janusError(const QJsonObject &reply) {
  return reply.value(QStringLiteral("error")).toObject().value(QStringLiteral("code")).toInt();
}
} // namespace

class TestServiceJanus : public QObject {
  Q_OBJECT
  JanusEngine m_janus;
  std::unique_ptr<LocalService> m_service;
  QString m_studentToken;
  QString m_teacherToken;
  // The teacher's client in the room: it watches the participant list.
  JanusClient m_watcher;
  Seat m_teacherSeat;

  Seat classSignIn(const QString &token, const QString &role) {
    const LocalService::Reply r = m_service->call(QStringLiteral("live-service"), QStringLiteral("bgp_login"),
                                                  {{QStringLiteral("token"), token},
                                                   {QStringLiteral("roomId"), QString::number(kRoom)},
                                                   {QStringLiteral("role"), role}});
    const QJsonObject d = r.data();
    return {d.value(QStringLiteral("janusUrl")).toString(), qint64(d.value(QStringLiteral("janusRoom")).toDouble()),
            d.value(QStringLiteral("janusToken")).toString(),
            static_cast<quint64>(d.value(QStringLiteral("janusFeed")).toDouble())};
  }

  // Session and handle with the seat's token; false when Janus refused either.
  bool connect(JanusClient &c, const Seat &seat) {
    return c.open(seat.url) && janusError(c.createSession(seat.token)) == 0 && janusError(c.attach()) == 0;
  }

  QJsonObject join(JanusClient &c, const Seat &seat, quint64 feed, const QString &display, const QString &roomToken) {
    return JanusClient::pluginData(c.message({{QStringLiteral("request"), QStringLiteral("join")},
                                              {QStringLiteral("ptype"), QStringLiteral("publisher")},
                                              {QStringLiteral("room"), seat.room},
                                              {QStringLiteral("id"), static_cast<qint64>(feed)},
                                              {QStringLiteral("display"), display},
                                              {QStringLiteral("token"), roomToken}}));
  }

  // The room's participant list as the watcher sees it: feed id → publishing.
  QHash<quint64, bool> participants() {
    const QJsonObject d =
        JanusClient::pluginData(m_watcher.message({{QStringLiteral("request"), QStringLiteral("listparticipants")},
                                                   {QStringLiteral("room"), qint64(kRoom)}}));
    QHash<quint64, bool> list;
    for (const QJsonValue &v : d.value(QStringLiteral("participants")).toArray())
      list.insert(static_cast<quint64>(v.toObject().value(QStringLiteral("id")).toDouble()),
                  v.toObject().value(QStringLiteral("publisher")).toBool());
    return list;
  }

  bool waitGone(quint64 feed) {
    return QTest::qWaitFor([&] { return !participants().contains(feed); }, kGuardWaitMs);
  }

  // Still there after three of the guard's passes.
  bool staysFor(quint64 feed) {
    QTest::qWait(3000);
    return participants().contains(feed);
  }

  // Sends media from c, which joined the room as a publisher; true once Janus answered.
  bool sendMedia(JanusClient &c, WebRtcPublisher &media) {
    QString offer, error;
    if (!media.makeOffer(&offer, &error)) {
      qWarning().noquote() << error;
      return false;
    }
    const QJsonObject reply = c.message({{QStringLiteral("request"), QStringLiteral("publish")}},
                                        {{QStringLiteral("type"), QStringLiteral("offer")}, {QStringLiteral("sdp"), offer}});
    const QString answer = reply.value(QStringLiteral("jsep")).toObject().value(QStringLiteral("sdp")).toString();
    if (answer.isEmpty() || !media.setAnswer(answer, &error)) {
      qWarning().noquote() << "no answer:" << reply;
      return false;
    }
    return true;
  }

  // Joins as feed under display and sends media; true once Janus counts it as publishing.
  bool publish(JanusClient &c, WebRtcPublisher &media, const Seat &seat, quint64 feed, const QString &display) {
    return connect(c, seat) && join(c, seat, feed, display, seat.token).contains(QStringLiteral("private_id")) &&
           sendMedia(c, media) && QTest::qWaitFor([&] { return participants().value(feed); }, kMediaWaitMs);
  }
  bool publish(JanusClient &c, WebRtcPublisher &media, const Seat &seat) {
    return publish(c, media, seat, seat.feed, kStudentId);
  }

  bool kickedFor(const QByteArray &reason) {
    return QTest::qWaitFor([&] { return m_service->output().contains(reason); }, kGuardWaitMs);
  }

private slots:
  void initTestCase() {
    QVERIFY2(m_janus.start(), qPrintable(m_janus.errorString()));
    m_service = m_janus.makeService();
    QVERIFY2(m_service->start(), qPrintable(m_service->errorString()));
    m_studentToken = m_service->signIn(QStringLiteral("13800000001"), QStringLiteral("tarnwick01"));
    m_teacherToken = m_service->signIn(QStringLiteral("13900000001"), QStringLiteral("teacher01"));
    QVERIFY(!m_studentToken.isEmpty() && !m_teacherToken.isEmpty());
    m_teacherSeat = classSignIn(m_teacherToken, QStringLiteral("1"));
    QVERIFY(connect(m_watcher, m_teacherSeat));
    QVERIFY(join(m_watcher, m_teacherSeat, m_teacherSeat.feed, kTeacherId, m_teacherSeat.token)
                .contains(QStringLiteral("private_id")));
  }

  void signInHandsOutTheClassRoom() {
    const Seat student = classSignIn(m_studentToken, QStringLiteral("0"));
    QCOMPARE(student.url, m_janus.wsUrl());
    QCOMPARE(student.room, qint64(kRoom));
    QVERIFY(student.token.size() >= 32);
    QVERIFY(student.feed > 0 && student.feed % 8 == 0);
    const Seat again = classSignIn(m_studentToken, QStringLiteral("0"));
    QVERIFY(again.token != student.token && again.feed != student.feed);
    // The service made the room: the member sees it, and may not make one itself.
    JanusClient c;
    QVERIFY(connect(c, again));
    const QJsonObject exists = JanusClient::pluginData(
        c.message({{QStringLiteral("request"), QStringLiteral("exists")}, {QStringLiteral("room"), qint64(kRoom)}}));
    QCOMPARE(exists.value(QStringLiteral("exists")).toBool(), true);
    const QJsonObject created = JanusClient::pluginData(
        c.message({{QStringLiteral("request"), QStringLiteral("create")}, {QStringLiteral("room"), 4242},
                   {QStringLiteral("admin_key"), QStringLiteral("a-guess")}}));
    QCOMPARE(created.value(QStringLiteral("error_code")).toInt(), kRoomUnauthorized);
  }

  void janusLetsInOnlyCurrentTokens() {
    const Seat old = classSignIn(m_studentToken, QStringLiteral("0"));
    JanusClient stranger;
    QVERIFY(stranger.open(old.url));
    QCOMPARE(janusError(stranger.createSession(QString())), kUnauthorized);
    QCOMPARE(janusError(stranger.createSession(QStringLiteral("made-up"))), kUnauthorized);

    JanusClient member;
    QVERIFY(connect(member, old));
    QCOMPARE(join(member, old, old.feed, kStudentId, QStringLiteral("made-up")).value(QStringLiteral("error_code")).toInt(),
             kRoomUnauthorized);
    QVERIFY(join(member, old, old.feed, kStudentId, old.token).contains(QStringLiteral("private_id")));
    QVERIFY(staysFor(old.feed));

    // A new class sign-in: the old token opens nothing, and whoever sits under the old feed goes.
    const Seat renewed = classSignIn(m_studentToken, QStringLiteral("0"));
    QVERIFY(!renewed.token.isEmpty());
    JanusClient late;
    QVERIFY(late.open(old.url));
    QCOMPARE(janusError(late.createSession(old.token)), kUnauthorized);
    QVERIFY(waitGone(old.feed));
  }

  void feedsNobodyHoldsAndWrongNamesAreKicked() {
    const Seat seat = classSignIn(m_studentToken, QStringLiteral("0"));
    JanusClient outside, wrongName, right;
    QVERIFY(connect(outside, seat) && connect(wrongName, seat) && connect(right, seat));
    const quint64 foreign = seat.feed + 8; // just past the student's block
    QVERIFY(join(outside, seat, foreign, kStudentId, seat.token).contains(QStringLiteral("private_id")));
    QVERIFY(join(wrongName, seat, seat.feed + 1, kTeacherId, seat.token).contains(QStringLiteral("private_id")));
    QVERIFY(join(right, seat, seat.feed + 2, kStudentId, seat.token).contains(QStringLiteral("private_id")));
    QVERIFY(waitGone(foreign));
    QVERIFY(waitGone(seat.feed + 1));
    QVERIFY(staysFor(seat.feed + 2));
  }

  // The hostile student: it saw the teacher's camera feed, works out the teacher's screen id
  // from it, and publishes there under the teacher's name, on a session and handle of its own
  // valid token. It goes; the teacher's own feeds stay.
  void aStudentCannotPublishAsTheTeacher() {
    const quint64 camera = sdk::JanusMediaTransport::feedOf(m_teacherSeat.feed, hubproto::Source::Camera);
    const quint64 screen = sdk::JanusMediaTransport::feedOf(m_teacherSeat.feed, hubproto::Source::Screen);
    JanusClient teacherCamera;
    WebRtcPublisher teacherMedia;
    QVERIFY2(publish(teacherCamera, teacherMedia, m_teacherSeat, camera, kTeacherId), m_janus.log().right(2000).constData());

    const Seat student = classSignIn(m_studentToken, QStringLiteral("0"));
    JanusClient attacker;
    WebRtcPublisher attackerMedia;
    QVERIFY(connect(attacker, student));
    QVERIFY(join(attacker, student, screen, kTeacherId, student.token).contains(QStringLiteral("private_id")));
    (void)sendMedia(attacker, attackerMedia); // the guard may be quicker than the offer
    QVERIFY(waitGone(screen));
    QVERIFY(kickedFor(QStringLiteral("kicked feed %1 of %2 from room %3 for a handle the feed holder did not open "
                                     "(its handle is %4's)")
                          .arg(screen)
                          .arg(kTeacherId)
                          .arg(kRoom)
                          .arg(kStudentId)
                          .toUtf8()));
    QVERIFY(staysFor(camera));
    QVERIFY(participants().value(camera));
    QVERIFY(participants().contains(m_teacherSeat.feed));

    // The attacker keeps its handles attached after the kicks, so they still claim the id;
    // the teacher's own screen, when it comes, is left alone all the same.
    JanusClient again;
    QVERIFY(connect(again, student));
    QVERIFY(join(again, student, screen, kTeacherId, student.token).contains(QStringLiteral("private_id")));
    QVERIFY(waitGone(screen));
    JanusClient teacherScreen;
    QVERIFY(connect(teacherScreen, m_teacherSeat));
    QVERIFY(join(teacherScreen, m_teacherSeat, screen, kTeacherId, m_teacherSeat.token).contains(QStringLiteral("private_id")));
    QVERIFY(staysFor(screen));
  }

  // A handle is its opener's: one tagged by another member, by nobody, or by the member's
  // earlier sign-in carries none of the member's feeds; one with the current tag does.
  void aHandleCarriesOnlyItsOpenersFeeds() {
    const Seat old = classSignIn(m_studentToken, QStringLiteral("0"));
    const Seat seat = classSignIn(m_studentToken, QStringLiteral("0"));
    JanusClient teachers, untagged, stale, own;
    QVERIFY(connect(teachers, m_teacherSeat));
    QVERIFY(untagged.open(seat.url) && janusError(untagged.createSession(seat.token)) == 0 &&
            janusError(untagged.attach(QString())) == 0);
    QVERIFY(stale.open(seat.url) && janusError(stale.createSession(seat.token)) == 0 &&
            janusError(stale.attach(janushandletag::of(old.token))) == 0);
    QVERIFY(connect(own, seat));
    QVERIFY(join(teachers, seat, seat.feed + 1, kStudentId, m_teacherSeat.token).contains(QStringLiteral("private_id")));
    QVERIFY(join(untagged, seat, seat.feed + 2, kStudentId, seat.token).contains(QStringLiteral("private_id")));
    QVERIFY(join(stale, seat, seat.feed + 3, kStudentId, seat.token).contains(QStringLiteral("private_id")));
    QVERIFY(join(own, seat, seat.feed + 4, kStudentId, seat.token).contains(QStringLiteral("private_id")));
    QVERIFY(waitGone(seat.feed + 1));
    QVERIFY(waitGone(seat.feed + 2));
    QVERIFY(waitGone(seat.feed + 3));
    QVERIFY(kickedFor(QStringLiteral("(its handle is %1's)").arg(kTeacherId).toUtf8()));
    QVERIFY(kickedFor("(its handle is no member's)"));
    QVERIFY(staysFor(seat.feed + 4));
  }

  void publishingFollowsTheStageGrant() {
    ServiceMember teacher(*m_service, kTeacherId);
    ServiceMember student(*m_service, kStudentId);
    QVERIFY(teacher.enter(kRoom, QStringLiteral("LiveMaster")));
    QVERIFY(student.enter(kRoom, QStringLiteral("Guest")));

    // Without the grant: the media is cut off.
    Seat seat = classSignIn(m_studentToken, QStringLiteral("0"));
    {
      JanusClient c;
      WebRtcPublisher media;
      QVERIFY2(publish(c, media, seat), m_janus.log().right(2000).constData());
      QVERIFY(waitGone(seat.feed));
    }

    // With it: left alone. Revoked: cut off again.
    QVERIFY(teacher.call([&](sdk::HubReplyFn done) { teacher.client.grantStage(kStudentId, done); }));
    seat = classSignIn(m_studentToken, QStringLiteral("0"));
    JanusClient c;
    WebRtcPublisher media;
    QVERIFY(publish(c, media, seat));
    QVERIFY(staysFor(seat.feed));
    QVERIFY(participants().value(seat.feed));
    QVERIFY(teacher.call([&](sdk::HubReplyFn done) { teacher.client.revokeStage(kStudentId, done); }));
    QVERIFY(waitGone(seat.feed));
    // The teacher, who watched all along, is still there.
    QVERIFY(participants().size() >= 1);
  }

  // Janus restarted and forgot the rooms: the next class sign-in makes the class's room anew
  // instead of failing until the service restarts too.
  void aRestartedJanusGetsItsRoomBack() {
    QVERIFY(m_janus.stop());
    QVERIFY2(m_janus.start(), qPrintable(m_janus.errorString()));
    const Seat seat = classSignIn(m_studentToken, QStringLiteral("0"));
    QVERIFY(!seat.token.isEmpty());
    JanusClient c;
    QVERIFY(connect(c, seat));
    QVERIFY(join(c, seat, seat.feed, kStudentId, seat.token).contains(QStringLiteral("private_id")));
  }

  // Members whose link broke with the restart come back with the seats they hold, without a
  // new class sign-in: the service's next look at the room puts their tokens back. A token the
  // service had replaced stays out.
  void aRestartedJanusLetsCurrentSeatsBackIn() {
    const Seat old = classSignIn(m_studentToken, QStringLiteral("0"));
    const Seat seat = classSignIn(m_studentToken, QStringLiteral("0"));
    QVERIFY(m_janus.stop());
    QVERIFY2(m_janus.start(), qPrintable(m_janus.errorString()));
    JanusClient c;
    QVERIFY(c.open(seat.url));
    QVERIFY(QTest::qWaitFor([&] { return janusError(c.createSession(seat.token)) == 0; }, kGuardWaitMs));
    QCOMPARE(janusError(c.attach()), 0);
    QVERIFY(join(c, seat, seat.feed, kStudentId, seat.token).contains(QStringLiteral("private_id")));
    // The guard, which looks at the room in the meantime, lets it stay.
    QTest::qWait(3000);
    const QJsonObject listed = JanusClient::pluginData(c.message(
        {{QStringLiteral("request"), QStringLiteral("listparticipants")}, {QStringLiteral("room"), qint64(kRoom)}}));
    QCOMPARE(listed.value(QStringLiteral("participants")).toArray().size(), 1);
    QCOMPARE(listed.value(QStringLiteral("participants")).toArray().first().toObject().value(QStringLiteral("id")).toDouble(),
             double(seat.feed));
    JanusClient late;
    QVERIFY(late.open(old.url));
    QCOMPARE(janusError(late.createSession(old.token)), kUnauthorized);
  }

  void secretsStayOutOfTheLog() {
    const QByteArray out = m_service->output();
    QVERIFY(out.contains("janus: kicked feed"));
    for (const QByteArray &secret : {m_janus.apiSecret(), m_janus.adminSecret(), m_janus.roomKey(),
                                     m_teacherSeat.token.toUtf8(), janushandletag::of(m_teacherSeat.token).toUtf8()})
      QVERIFY(!out.contains(secret));
  }

  void cleanupTestCase() {
    if (m_service)
      m_service->stop();
  }
};

QTEST_GUILESS_MAIN(TestServiceJanus)
#include "test_service_janus.moc"

// The Janus guard's look at whose handle each participant sits on, in a class of members that
// each hold a session with a listening participant, a microphone and a camera publisher, and a
// subscription to the teacher's camera (which sends pictures). It prints, per pass, the Admin
// API requests and the time of
// - the guard's way: handles known from earlier passes are only looked for in their session's
//   list;
// - the alternative: every handle asked about (handle_info) on every pass;
// and the time of a whole guard pass (participants listed, handles looked at, rules applied).
// Runs inside the network namespace of scripts/netns.sh (Janus's ICE needs it), as root:
//   bash scripts/netns.sh run build/bin/bench_janusguard [members] [passes]

#include "service/janusapi.h"
#include "service/janushandles.h"
#include "service/janusrooms.h"
#include "service/janusstageguard.h"
#include "sdk/net/webrtc/janusmediatransport.h"
#include "support/janusclient.h"
#include "support/janusengine.h"
#include "support/webrtcpublisher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QTest>

#include <cstdio>
#include <memory>
#include <vector>

namespace {
constexpr quint32 kRoom = 424242;

struct Member {
  JanusSeat seat;
  std::unique_ptr<JanusClient> client;
};

bool joinAs(JanusClient &c, const JanusSeat &seat, quint64 feed, const QString &display) {
  if (c.attach().contains(QStringLiteral("error")))
    return false;
  return JanusClient::pluginData(c.message({{QStringLiteral("request"), QStringLiteral("join")},
                                            {QStringLiteral("ptype"), QStringLiteral("publisher")},
                                            {QStringLiteral("room"), qint64(seat.room)},
                                            {QStringLiteral("id"), qint64(feed)},
                                            {QStringLiteral("display"), display},
                                            {QStringLiteral("token"), seat.token}}))
      .contains(QStringLiteral("private_id"));
}

bool subscribe(JanusClient &c, const JanusSeat &seat, quint64 feed) {
  if (c.attach().contains(QStringLiteral("error")))
    return false;
  const QJsonObject reply = c.message({{QStringLiteral("request"), QStringLiteral("join")},
                                       {QStringLiteral("ptype"), QStringLiteral("subscriber")},
                                       {QStringLiteral("room"), qint64(seat.room)},
                                       {QStringLiteral("token"), seat.token},
                                       {QStringLiteral("streams"), QJsonArray{QJsonObject{{QStringLiteral("feed"), qint64(feed)}}}}});
  return !reply.value(QStringLiteral("jsep")).toObject().isEmpty();
}

// The teacher's camera, sending pictures, so that the others can subscribe to it.
bool startTeacherCamera(JanusClient &c, WebRtcPublisher &media, const JanusSeat &seat, const QString &id) {
  const quint64 camera = sdk::JanusMediaTransport::feedOf(seat.feed, hubproto::Source::Camera);
  QString offer, error;
  if (!joinAs(c, seat, camera, id) || !media.makeOffer(&offer, &error))
    return false;
  const QJsonObject reply = c.message({{QStringLiteral("request"), QStringLiteral("publish")}},
                                      {{QStringLiteral("type"), QStringLiteral("offer")}, {QStringLiteral("sdp"), offer}});
  const QString answer = reply.value(QStringLiteral("jsep")).toObject().value(QStringLiteral("sdp")).toString();
  return !answer.isEmpty() && media.setAnswer(answer, &error);
}

bool seatMember(JanusRooms &rooms, const QString &id, quint64 teacherCamera, Member *m) {
  QString error;
  if (!rooms.seat(kRoom, id, &m->seat, &error))
    return false;
  m->client = std::make_unique<JanusClient>();
  JanusClient &c = *m->client;
  if (!c.open(m->seat.url) || c.createSession(m->seat.token).contains(QStringLiteral("error")))
    return false;
  const quint64 block = m->seat.feed;
  return joinAs(c, m->seat, block, id) &&
         joinAs(c, m->seat, sdk::JanusMediaTransport::feedOf(block, hubproto::Source::Audio), id) &&
         joinAs(c, m->seat, sdk::JanusMediaTransport::feedOf(block, hubproto::Source::Camera), id) &&
         subscribe(c, m->seat, teacherCamera);
}

// Mean milliseconds and Admin API requests of one refresh, over passes refreshes of handles
// made by make (the same object each time, or a new one).
template <typename Make> void measure(const char *what, int passes, Make make) {
  QElapsedTimer timer;
  qint64 totalNs = 0;
  int requests = 0;
  for (int i = 0; i < passes; ++i) {
    JanusHandles &handles = make();
    QString error;
    timer.start();
    if (!handles.refresh(&error))
      std::fprintf(stderr, "refresh failed: %s\n", qPrintable(error));
    totalNs += timer.nsecsElapsed();
    requests = handles.lastRequests();
  }
  std::printf("%-44s %7.2f ms per pass, %5d Admin API requests\n", what, totalNs / 1e6 / passes, requests);
}
} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  if (qEnvironmentVariableIsEmpty("TARNWICK_SOURCE_DIR"))
    qputenv("TARNWICK_SOURCE_DIR", TARNWICK_SOURCE_DIR_DEFAULT); // where scripts/engines.sh is
  const int members = argc > 1 ? QByteArray(argv[1]).toInt() : 30;
  const int passes = argc > 2 ? QByteArray(argv[2]).toInt() : 20;
  JanusEngine janus;
  if (!janus.start()) {
    std::fprintf(stderr, "Janus did not start: %s\n", qPrintable(janus.errorString()));
    return 1;
  }
  JanusApi api({janus.apiUrl(), janus.adminUrl(), janus.apiSecret(), janus.adminSecret()});
  JanusRooms rooms(api, janus.wsUrl(), janus.roomKey(), janus.apiSecret());

  JanusSeat teacherSeat;
  QString error;
  JanusClient teacher;
  WebRtcPublisher teacherMedia;
  const QString teacherId = QStringLiteral("t0");
  if (!rooms.seat(kRoom, teacherId, &teacherSeat, &error) || !teacher.open(teacherSeat.url) ||
      teacher.createSession(teacherSeat.token).contains(QStringLiteral("error")) ||
      !startTeacherCamera(teacher, teacherMedia, teacherSeat, teacherId)) {
    std::fprintf(stderr, "the teacher's camera did not start: %s\n", qPrintable(error));
    return 1;
  }
  QTest::qWait(2000); // its stream is up before anyone subscribes
  const quint64 camera = sdk::JanusMediaTransport::feedOf(teacherSeat.feed, hubproto::Source::Camera);
  std::vector<Member> seated(static_cast<size_t>(members));
  for (int i = 0; i < members; ++i) {
    if (!seatMember(rooms, QStringLiteral("s%1").arg(i), camera, &seated[size_t(i)])) {
      std::fprintf(stderr, "member %d could not take its seat\n", i);
      return 1;
    }
  }
  std::printf("%d members, each with 3 participants and 1 subscription; %d passes each\n", members, passes);

  JanusHandles kept(api);
  kept.refresh(&error); // learns the handles once, as the guard's first pass does
  measure("handles kept from pass to pass (the guard)", passes, [&]() -> JanusHandles & { return kept; });
  std::unique_ptr<JanusHandles> fresh;
  measure("every handle asked about every pass", passes, [&]() -> JanusHandles & {
    fresh = std::make_unique<JanusHandles>(api);
    return *fresh;
  });

  JanusStageGuard guard(rooms, api, [](const QString &, quint32) { return true; });
  QElapsedTimer timer;
  timer.start();
  int kicked = 0;
  for (int i = 0; i < passes; ++i)
    kicked += guard.checkNow();
  std::printf("%-44s %7.2f ms per pass, %d kicked\n", "whole guard pass", timer.nsecsElapsed() / 1e6 / passes, kicked);
  return 0;
}

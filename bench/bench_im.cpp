// IM fan-out in one room of 50, over ejabberd (the SDK's XMPP transport, the server started by
// scripts/engines.sh) and over the class hub (the SDK's hub transport on a WebSocket to a hub
// in this process), measured in the same run through the same transport interface: the time
// from starting sign-in to being in the room, and chat delivery latency from the send to the
// last of the 49 receivers (p50, p99).
// Usage: bench_im [chat messages]

#include "protocol/roomgrant.h"
#include "protocol/usersig.h"
#include "sdk/net/hubclient.h"
#include "sdk/net/hubimtransport.h"
#include "sdk/net/websockettransport.h"
#include "sdk/net/xmpp/xmppimtransport.h"
#include "service/hub/hub.h"
#include "service/hub/hubwebsocketserver.h"
#include "service/imtokenissuer.h"
#include "service/xmppadmin.h"
#include "support/ejabberdengine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kParticipants = 50;
constexpr quint32 kRoom = 300101;
constexpr int kChatGapMs = 20;
constexpr int kWaitMs = 60000;
const QByteArray kSecret = "bench-im-secret";

QElapsedTimer g_clock;

bool waitUntil(const std::function<bool()> &done, int ms = kWaitMs) {
  QElapsedTimer t;
  t.start();
  QTimer tick;
  tick.start(1);
  while (!done()) {
    if (t.elapsed() > ms)
      return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty())
    return -1;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, size_t(p / 100.0 * double(v.size())))];
}

QString userOf(int i) { return QStringLiteral("b%1").arg(i, 2, 10, QLatin1Char('0')); }

// One participant: its transport, and (for the hub) the connection it rides on.
struct Member {
  std::unique_ptr<sdk::HubClient> hub;
  std::unique_ptr<sdk::ImTransport> im;
  qint64 startedNs = 0;
  double joinedMs = -1;
};

// Signs one member in and into the room; joinedMs once there.
using Enter = std::function<void(int index, Member &member)>;

struct Figures {
  std::vector<double> joinMs;
  std::vector<double> chatMs;
  int lost = 0;
};

Figures measure(const Enter &enter, int messages) {
  Figures f;
  std::vector<Member> members(kParticipants);
  std::vector<std::vector<qint64>> arrivals(static_cast<size_t>(messages));
  for (int i = 0; i < kParticipants; ++i) {
    members[size_t(i)].startedNs = g_clock.nsecsElapsed();
    enter(i, members[size_t(i)]);
  }
  const bool allIn = waitUntil([&] {
    return std::all_of(members.cbegin(), members.cend(), [](const Member &m) { return m.joinedMs >= 0; });
  });
  for (const Member &m : members)
    if (m.joinedMs >= 0)
      f.joinMs.push_back(m.joinedMs);
  if (!allIn) {
    std::fprintf(stderr, "only %zu of %d members got into the room\n", f.joinMs.size(), kParticipants);
    return f;
  }
  for (int i = 1; i < kParticipants; ++i)
    QObject::connect(members[size_t(i)].im.get(), &sdk::ImTransport::received, [&](const hubproto::ImMessage &m) {
      const int n = m.elems.value(0).text.toInt();
      if (n >= 0 && n < messages)
        arrivals[size_t(n)].push_back(g_clock.nsecsElapsed());
    });
  std::vector<qint64> sentNs(static_cast<size_t>(messages));
  const hubproto::Conversation group{hubproto::Conversation::Group, QString::number(kRoom)};
  for (int n = 0; n < messages; ++n) {
    hubproto::Element e;
    e.text = QString::number(n);
    sentNs[size_t(n)] = g_clock.nsecsElapsed();
    members[0].im->send(group, {e}, nullptr, [](int, const QString &) {});
    QElapsedTimer gap;
    gap.start();
    waitUntil([&] { return gap.elapsed() >= kChatGapMs; });
  }
  waitUntil([&] {
    return std::all_of(arrivals.cbegin(), arrivals.cend(),
                       [](const std::vector<qint64> &a) { return int(a.size()) == kParticipants - 1; });
  }, 10000);
  for (int n = 0; n < messages; ++n) {
    const std::vector<qint64> &a = arrivals[size_t(n)];
    if (int(a.size()) != kParticipants - 1) {
      ++f.lost;
      continue;
    }
    f.chatMs.push_back(double(*std::max_element(a.cbegin(), a.cend()) - sentNs[size_t(n)]) / 1e6);
  }
  for (Member &m : members)
    m.im->signOut();
  return f;
}

void print(const char *what, const Figures &f) {
  std::printf("%-8s sign-in to joined  p50 %7.1f ms  p99 %7.1f ms   (%zu members)\n", what, percentile(f.joinMs, 50),
              percentile(f.joinMs, 99), f.joinMs.size());
  std::printf("%-8s chat to last of %d  p50 %7.2f ms  p99 %7.2f ms   (%zu messages, %d not at everyone)\n", what,
              kParticipants - 1, percentile(f.chatMs, 50), percentile(f.chatMs, 99), f.chatMs.size(), f.lost);
}

void enterHub(const QString &url, int i, Member &m) {
  const QString user = userOf(i);
  m.hub = std::make_unique<sdk::HubClient>(std::make_unique<sdk::WebSocketTransport>(QUrl(url)));
  sdk::HubClient *client = m.hub.get();
  Member *member = &m;
  client->login(user, usersig::issueFor(kSecret, user, 3600), [=](const sdk::HubReply &r) {
    if (r.code != 0)
      return;
    client->join(kRoom, QStringLiteral("Guest"), roomgrant::issueFor(kSecret, user, kRoom, QStringLiteral("Guest"), 3600),
                 [=](const sdk::HubReply &j) {
                   if (j.code != 0)
                     return;
                   member->im = std::make_unique<sdk::HubImTransport>(client);
                   member->joinedMs = double(g_clock.nsecsElapsed() - member->startedNs) / 1e6;
                 });
  });
}

void enterXmpp(const sdk::XmppAddress &address, const ImTokenIssuer &tokens, int i, Member &m) {
  const QString user = userOf(i);
  m.im = std::make_unique<sdk::XmppImTransport>(address, tokens.token(user));
  sdk::ImTransport *im = m.im.get();
  Member *member = &m;
  im->signIn(user, [=](int code, const QString &) {
    if (code != 0)
      return;
    im->joinRoom(kRoom, [=](int joined, const QString &) {
      if (joined == 0)
        member->joinedMs = double(g_clock.nsecsElapsed() - member->startedNs) / 1e6;
    });
  });
}

// The hub on a thread of its own, as ejabberd has its own process.
class HubThread {
public:
  HubThread() {
    m_thread.start();
    m_anchor.moveToThread(&m_thread);
    QMetaObject::invokeMethod(&m_anchor, [this] {
      m_hub = new Hub(kSecret);
      m_server = new HubWebSocketServer(m_hub);
      m_server->listen(QHostAddress::LocalHost, 0);
      m_port = m_server->serverPort();
    }, Qt::BlockingQueuedConnection);
  }
  ~HubThread() {
    QMetaObject::invokeMethod(&m_anchor, [this] {
      delete m_server;
      delete m_hub;
    }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
  }
  QString url() const { return QStringLiteral("ws://127.0.0.1:%1").arg(m_port); }

private:
  QThread m_thread;
  QObject m_anchor;
  Hub *m_hub = nullptr;
  HubWebSocketServer *m_server = nullptr;
  quint16 m_port = 0;
};

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  if (qEnvironmentVariableIsEmpty("TARNWICK_SOURCE_DIR"))
    qputenv("TARNWICK_SOURCE_DIR", TARNWICK_SOURCE_DIR_DEFAULT);
  const int messages = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
  g_clock.start();

  EjabberdEngine engine;
  if (!engine.start()) {
    std::fprintf(stderr, "%s\n", qPrintable(engine.errorString()));
    return 1;
  }
  XmppAdmin admin(engine.apiUrl(), engine.domain(), engine.apiSecret());
  ImTokenIssuer tokens(engine.jwtSecret(), engine.domain());
  for (int i = 0; i < kParticipants; ++i) {
    QString why;
    if (!admin.seat(kRoom, userOf(0), userOf(i), &why)) {
      std::fprintf(stderr, "%s\n", qPrintable(why));
      return 1;
    }
  }
  sdk::XmppAddress address;
  sdk::XmppAddress::parse(engine.xmppUrl(), &address);

  HubThread hub;
  const QString hubUrl = hub.url();

  std::printf("IM fan-out, one room of %d, %d chat messages %d ms apart\n", kParticipants, messages, kChatGapMs);
  print("ejabberd", measure([&](int i, Member &m) { enterXmpp(address, tokens, i, m); }, messages));
  print("hub", measure([&](int i, Member &m) { enterHub(hubUrl, i, m); }, messages));
  return 0;
}

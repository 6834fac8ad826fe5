// The class hub's fan-out over loopback WebSocket, one room of 50: chat delivery latency from
// the send to the last of the 49 receivers (p50, p99), and one 640 x 480 camera to the 49 at
// 15 fps (delivered rate, frame latency to the last receiver) and flat out (fan-out capacity).
// Beside each figure, the same clients against a bare QWebSocketServer that relays every
// message to every other connection, measured in the same run.
// Usage: bench_hub [chat messages] [seconds of camera]

#include "protocol/mediaframe.h"
#include "protocol/protocol.h"
#include "protocol/roomgrant.h"
#include "protocol/usersig.h"
#include "service/hub/hub.h"
#include "service/hub/hubwebsocketserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QtEndian>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kParticipants = 50;
constexpr quint32 kRoom = 300101;
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kFps = 15;
constexpr int kChatGapMs = 10;      // 100 a second, under the hub's per-connection rate
constexpr int kFramesInFlight = 4;  // flat out: the sender keeps this many ahead of the slowest
constexpr int kWaitMs = 20000;
const QByteArray kSecret = "bench-hub-secret";

QElapsedTimer g_clock;
qint64 nowNs() { return g_clock.nsecsElapsed(); }

// Sleeps in the event loop between events: a spinning client thread would take the core the
// server thread needs (the machine may have only two).
bool waitUntil(const std::function<bool()> &done, int ms = kWaitMs) {
  QElapsedTimer t;
  t.start();
  QTimer tick; // wakes the loop to look at the clock
  tick.start(1);
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

// ------------------------------------------------------------------------------------------
// Servers, each on a thread of its own as the hub runs in tarnwick-local's event loop.

// The baseline: every message to every other connection, nothing looked at.
class BareFanout : public QObject {
public:
  BareFanout() : m_server(QStringLiteral("bare"), QWebSocketServer::NonSecureMode, this) {
    connect(&m_server, &QWebSocketServer::newConnection, this, [this] {
      while (QWebSocket *s = m_server.nextPendingConnection()) add(s);
    });
    m_server.listen(QHostAddress::LocalHost, 0);
  }
  quint16 port() const { return m_server.serverPort(); }

private:
  void add(QWebSocket *s) {
    s->setParent(this);
    m_sockets.push_back(s);
    connect(s, &QWebSocket::textMessageReceived, this, [this, s](const QString &t) {
      for (QWebSocket *o : m_sockets)
        if (o != s) o->sendTextMessage(t);
    });
    connect(s, &QWebSocket::binaryMessageReceived, this, [this, s](const QByteArray &b) {
      for (QWebSocket *o : m_sockets)
        if (o != s) o->sendBinaryMessage(b);
    });
  }
  QWebSocketServer m_server;
  std::vector<QWebSocket *> m_sockets;
};

class HubServer : public QObject {
public:
  HubServer() : m_hub(kSecret), m_server(&m_hub) { m_server.listen(QHostAddress::LocalHost, 0); }
  quint16 port() const { return m_server.serverPort(); }

private:
  Hub m_hub;
  HubWebSocketServer m_server;
};

// Builds T on its own thread; the port once it listens.
template <class T> class ServerThread {
public:
  ServerThread() {
    m_thread.start();
    QMetaObject::invokeMethod(&m_anchor, [this] { m_server = new T; }, Qt::BlockingQueuedConnection);
  }
  ~ServerThread() {
    QMetaObject::invokeMethod(&m_anchor, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
  }
  QString url() const { return QStringLiteral("ws://127.0.0.1:%1").arg(m_server->port()); }

private:
  QThread m_thread;
  struct Anchor : QObject {
    explicit Anchor(QThread *t) { moveToThread(t); }
  } m_anchor{&m_thread};
  T *m_server = nullptr;
};

// ------------------------------------------------------------------------------------------
// The room's clients, all on the main thread. Participant 0 sends; the others count what
// reaches them.

struct Figures {
  double chatP50 = 0, chatP99 = 0;
  double pacedFps = 0, pacedP50 = 0, pacedP99 = 0;
  double flatFps = 0, flatMBps = 0;
  int lostChat = 0;
};

class Room {
public:
  explicit Room(bool hub) : m_hub(hub) {}
  ~Room() { qDeleteAll(m_sockets); }

  bool open(const QString &url) {
    for (int i = 0; i < kParticipants; ++i) m_sockets.push_back(connectOne(url, i));
    if (!waitUntil([this] { return m_open == kParticipants; })) return false;
    return !m_hub || signIn();
  }

  void measureChat(int messages, Figures &f) {
    m_textArrivals.assign(size_t(messages), {});
    m_textSent.assign(size_t(messages), 0);
    for (int k = 0; k < messages; ++k) {
      m_textSent[size_t(k)] = nowNs();
      m_sockets[0]->sendTextMessage(chatRequest(k));
      waitUntil([] { return false; }, kChatGapMs);
    }
    waitUntil([&] { return allArrived(m_textArrivals); }, 3000);
    std::vector<double> ms;
    for (int k = 0; k < messages; ++k) {
      if (m_textArrivals[size_t(k)].size() < size_t(kParticipants - 1)) {
        ++f.lostChat;
        continue;
      }
      ms.push_back(double(m_textArrivals[size_t(k)].back() - m_textSent[size_t(k)]) / 1e6);
    }
    f.chatP50 = percentile(ms, 0.50);
    f.chatP99 = percentile(ms, 0.99);
  }

  void measurePacedCamera(int seconds, Figures &f) {
    const int frames = seconds * kFps;
    startFrames(frames);
    QElapsedTimer t;
    t.start();
    for (int k = 0; k < frames; ++k) {
      waitUntil([&] { return t.elapsed() >= k * 1000 / kFps; }, 1000);
      sendFrame(k);
    }
    waitUntil([&] { return allArrived(m_frameArrivals); }, 5000);
    const double span = double(lastArrival() - m_frameSent[0]) / 1e9;
    std::vector<double> ms = frameLatencies();
    f.pacedFps = span > 0 ? double(deliveredFrames()) / (kParticipants - 1) / span : 0;
    f.pacedP50 = percentile(ms, 0.50);
    f.pacedP99 = percentile(ms, 0.99);
  }

  void measureFlatOutCamera(int seconds, Figures &f) {
    const int frames = seconds * kFps * 4;
    startFrames(frames);
    for (int k = 0; k < frames; ++k) {
      const int behind = k - kFramesInFlight;
      if (behind >= 0 && !waitUntil([&] { return complete(behind); }, 5000)) break;
      sendFrame(k);
    }
    waitUntil([&] { return allArrived(m_frameArrivals); }, 5000);
    const double span = double(lastArrival() - m_frameSent[0]) / 1e9;
    const double perReceiver = double(deliveredFrames()) / (kParticipants - 1);
    f.flatFps = span > 0 ? perReceiver / span : 0;
    f.flatMBps = span > 0 ? double(deliveredFrames()) * m_frame.size() / span / 1e6 : 0;
  }

private:
  QWebSocket *connectOne(const QString &url, int index) {
    auto *s = new QWebSocket;
    QObject::connect(s, &QWebSocket::connected, [this] { ++m_open; });
    QObject::connect(s, &QWebSocket::textMessageReceived,
                     [this, index](const QString &t) { onText(index, t); });
    QObject::connect(s, &QWebSocket::binaryMessageReceived,
                     [this](const QByteArray &b) { onFrame(b); });
    s->open(QUrl(url));
    return s;
  }

  bool signIn() {
    for (int i = 0; i < kParticipants; ++i) {
      const QString user = QStringLiteral("bench%1").arg(i);
      request(i, {{"type", "login"}, {"userId", user}, {"userSig", usersig::issueFor(kSecret, user, 3600)}});
      const QString role = i == 0 ? QStringLiteral("LiveMaster") : QStringLiteral("Guest");
      request(i, {{"type", "join"}, {"roomId", qint64(kRoom)}, {"role", role},
                  {"authBuffer", roomgrant::issueFor(kSecret, user, kRoom, role, 3600)}});
    }
    if (!waitUntil([this] { return m_okReplies == 2 * kParticipants; })) return false;
    request(0, {{"type", "publish"}, {"source", "camera"}, {"audio", false}});
    return waitUntil([this] { return m_okReplies == 2 * kParticipants + 1; });
  }

  void request(int i, QJsonObject body) {
    body.insert(QStringLiteral("v"), hubproto::kVersion);
    body.insert(QStringLiteral("id"), ++m_nextId);
    m_sockets[size_t(i)]->sendTextMessage(QString::fromUtf8(QJsonDocument(body).toJson(QJsonDocument::Compact)));
  }

  QString chatRequest(int k) {
    QJsonObject body{{"type", "send"},
                     {"conv", QJsonObject{{"type", "group"}, {"peer", QString::number(kRoom)}}},
                     {"elems", QJsonArray{QJsonObject{{"type", "text"}, {"text", QString::number(k)}}}},
                     {"v", hubproto::kVersion},
                     {"id", ++m_nextId}};
    return QString::fromUtf8(QJsonDocument(body).toJson(QJsonDocument::Compact));
  }

  // The receivers only pick out the message's number, so that the figure is the server's and
  // not 49 JSON parses on this thread.
  void onText(int index, const QString &text) {
    if (index == 0) {
      const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
      if (o.value(QStringLiteral("code")).toInt(-1) == 0) ++m_okReplies;
      return;
    }
    if (m_okReplies < 2 * kParticipants && text.contains(QLatin1String("\"type\":\"reply\"")) &&
        text.contains(QLatin1String("\"code\":0")))
      ++m_okReplies;
    static const QString key = QStringLiteral("\"text\":\"");
    const int at = text.indexOf(key);
    if (at < 0) return;
    const int from = at + key.size();
    const int k = text.midRef(from, text.indexOf(QLatin1Char('"'), from) - from).toInt();
    if (k >= 0 && size_t(k) < m_textArrivals.size()) m_textArrivals[size_t(k)].push_back(nowNs());
  }

  void startFrames(int frames) {
    m_frame = hubproto::encodeFrame(hubproto::videoFrame(
        hubproto::Source::Camera, kWidth, kHeight, QByteArray(hubproto::i420Size(kWidth, kHeight), char(0x80)), 0));
    m_frameArrivals.assign(size_t(frames), {});
    m_frameSent.assign(size_t(frames), 0);
  }

  void sendFrame(int k) {
    // The time stamp field carries the frame's number.
    qToLittleEndian<quint32>(quint32(k), m_frame.data() + 20);
    m_frameSent[size_t(k)] = nowNs();
    m_sockets[0]->sendBinaryMessage(m_frame);
  }

  void onFrame(const QByteArray &b) {
    if (b.size() < 24) return;
    const quint32 k = qFromLittleEndian<quint32>(b.constData() + 20);
    if (k < m_frameArrivals.size()) m_frameArrivals[k].push_back(nowNs());
  }

  bool complete(int k) const { return m_frameArrivals[size_t(k)].size() >= size_t(kParticipants - 1); }
  static bool allArrived(const std::vector<std::vector<qint64>> &arrivals) {
    return std::all_of(arrivals.begin(), arrivals.end(),
                       [](const std::vector<qint64> &a) { return a.size() >= size_t(kParticipants - 1); });
  }
  qint64 deliveredFrames() const {
    qint64 n = 0;
    for (const auto &a : m_frameArrivals) n += qint64(a.size());
    return n;
  }
  qint64 lastArrival() const {
    qint64 last = m_frameSent[0];
    for (const auto &a : m_frameArrivals)
      if (!a.empty()) last = std::max(last, a.back());
    return last;
  }
  std::vector<double> frameLatencies() const {
    std::vector<double> ms;
    for (size_t k = 0; k < m_frameArrivals.size(); ++k)
      if (m_frameArrivals[k].size() >= size_t(kParticipants - 1))
        ms.push_back(double(m_frameArrivals[k].back() - m_frameSent[k]) / 1e6);
    return ms;
  }

  bool m_hub;
  std::vector<QWebSocket *> m_sockets;
  int m_open = 0;
  int m_okReplies = 0;
  qint64 m_nextId = 0;
  std::vector<std::vector<qint64>> m_textArrivals;
  std::vector<qint64> m_textSent;
  QByteArray m_frame;
  std::vector<std::vector<qint64>> m_frameArrivals;
  std::vector<qint64> m_frameSent;
};

template <class Server> bool measure(bool hub, int messages, int seconds, Figures &f) {
  ServerThread<Server> server;
  Room room(hub);
  if (!room.open(server.url())) return false;
  room.measureChat(messages, f);
  room.measurePacedCamera(seconds, f);
  room.measureFlatOutCamera(seconds, f);
  return true;
}

QByteArray loadAverage() {
  QFile f(QStringLiteral("/proc/loadavg"));
  return f.open(QIODevice::ReadOnly) ? f.readLine().left(14).trimmed() : QByteArray("unknown");
}

void row(const char *what, double hub, double bare, const char *unit) {
  std::printf("  %-46s %10.2f %s   (bare relay %10.2f %s)\n", what, hub, unit, bare, unit);
}

} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  g_clock.start();
  const int messages = argc > 1 ? std::max(100, std::atoi(argv[1])) : 500;
  const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 4;
  Figures hub, bare;
  if (!measure<BareFanout>(false, messages, seconds, bare) || !measure<HubServer>(true, messages, seconds, hub)) {
    std::fprintf(stderr, "bench_hub: the room did not come together\n");
    return 1;
  }
  std::printf("bench_hub: %d participants in one room on loopback WebSocket, %d chat messages, "
              "%d s of camera; %d cores, load average %s\n", kParticipants, messages, seconds,
              QThread::idealThreadCount(), loadAverage().constData());
  row("chat, send to last receiver, p50", hub.chatP50, bare.chatP50, "ms");
  row("chat, send to last receiver, p99 (target <= 5)", hub.chatP99, bare.chatP99, "ms");
  std::printf("  chat messages missing at some receiver: hub %d, bare %d\n", hub.lostChat, bare.lostChat);
  row("640x480 camera at 15 fps: frames/s per receiver", hub.pacedFps, bare.pacedFps, "fps");
  row("640x480 camera at 15 fps: to last receiver, p50", hub.pacedP50, bare.pacedP50, "ms");
  row("640x480 camera at 15 fps: to last receiver, p99", hub.pacedP99, bare.pacedP99, "ms");
  row("flat out: frames/s per receiver", hub.flatFps, bare.flatFps, "fps");
  row("flat out: fan-out bytes delivered", hub.flatMBps, bare.flatMBps, "MB/s");
  return 0;
}

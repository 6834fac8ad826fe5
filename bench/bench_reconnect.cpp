// A student's live SDK whose link to the class hub breaks for a second, 20 times: the time
// from the link coming back to the first chat line and to the first picture of the teacher's
// camera (p50, p95). Beside it, measured in the same run, the way back without resuming: the
// class is lost, and the student signs in and joins again once the link is back (what the
// connection-lost path and a new entry cost at the SDK, without the classroom's backend calls).
// Usage: bench_reconnect [cuts]

#include "cuttabletransport.h"
#include "imrecorder.h"
#include "sdkfixture.h"

#include "sdk/live/ilive.h"
#include "service/hub/hub.h"
#include "support/inprocesstransport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

using namespace ilive;

namespace {
constexpr quint32 kRoom = 3303;
constexpr int kCutMs = 1000;
constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFrameGapMs = 66; // 15 fps
constexpr int kChatGapMs = 100; // the teacher talks on through the cut
constexpr int kWaitMs = 20000;
const QString kStudent = QStringLiteral("bench-student");
const QString kTeacher = QStringLiteral("bench-teacher");

QElapsedTimer g_clock;
std::atomic<qint64> g_lastFrameMs{-1};
std::atomic<int> g_back{0};

void onRemoteFrame(const LiveVideoFrame *, void *) { g_lastFrameMs = g_clock.elapsed(); }
void onReconnecting(bool on, void *) {
  if (!on)
    ++g_back;
}

struct Figures {
  QList<qint64> chat;
  QList<qint64> video;
};

qint64 percentile(QList<qint64> v, double p) {
  if (v.isEmpty())
    return -1;
  std::sort(v.begin(), v.end());
  return v.at(qMin(v.size() - 1, int(p * (v.size() - 1) + 0.5)));
}

bool call(Recorder &rec, const std::function<void()> &fn) {
  rec.reset();
  fn();
  return rec.wait(kWaitMs) && rec.answer.ok;
}

class Bench {
public:
  Bench() : m_teacher(std::make_unique<sdk::InProcessTransport>(&m_hub)) {
    m_links.install(&m_hub);
    m_teacher.login(kTeacher);
    m_teacher.join(kRoom);
    m_teacher.publish(hubproto::Source::Camera);
    QObject::connect(&m_frames, &QTimer::timeout, [this] {
      m_teacher.sendFrame(hubproto::Source::Camera, m_picture, kWidth, kHeight);
    });
    QObject::connect(&m_chat, &QTimer::timeout, [this] {
      const hubproto::Conversation group{hubproto::Conversation::Group, QString::number(kRoom)};
      QVector<hubproto::Element> elems(1);
      elems[0].kind = hubproto::Element::Text;
      elems[0].text = QString::number(++m_lines);
      m_teacher.client.sendMessage(group, elems, nullptr, [](const sdk::HubReply &) {});
    });
    m_picture = QByteArray(hubproto::i420Size(kWidth, kHeight), '\x80');
    m_frames.start(kFrameGapMs);
    m_chat.start(kChatGapMs);
  }

  bool enter() {
    const QByteArray user = kStudent.toUtf8();
    const QByteArray sig = testSig(kStudent).toUtf8();
    if (!call(m_rec, [&] { GetILive()->login(user.constData(), sig.constData(), Recorder::succ, Recorder::err, &m_rec); }))
      return false;
    RoomOption option;
    option.roomId = kRoom;
    setGrant(option, kStudent);
    option.connectionLost = Recorder::connectionLost;
    option.reconnecting = onReconnecting;
    option.data = &m_rec;
    return call(m_rec, [&] { GetILive()->joinRoom(option, Recorder::succ, Recorder::err, &m_rec); });
  }

  // The link breaks for a second; returns the time from its coming back to the first chat line
  // and the first picture, or false when either did not come.
  bool cut(bool resume, qint64 *chatMs, qint64 *videoMs) {
    const int backBefore = g_back;
    m_links.cutAll();
    QTest::qWait(kCutMs);
    if (!resume) {
      // The class is lost: what a new entry costs once the link is back.
      call(m_rec, [&] { GetILive()->logout(Recorder::succ, Recorder::err, &m_rec); });
    }
    const int linesBefore = m_im.count();
    m_links.down = false;
    const qint64 back = g_clock.elapsed();
    g_lastFrameMs = -1;
    if (!resume && !enter())
      return false;
    if (resume && !QTest::qWaitFor([&] { return g_back > backBefore; }, kWaitMs))
      return false;
    if (!QTest::qWaitFor([&] { return m_im.count() > linesBefore; }, kWaitMs))
      return false;
    *chatMs = g_clock.elapsed() - back;
    if (!QTest::qWaitFor([&] { return g_lastFrameMs >= back; }, kWaitMs))
      return false;
    *videoMs = g_lastFrameMs - back;
    m_im.take();
    return true;
  }

private:
  Hub m_hub{kSdkTestSecret};
  LinkSwitch m_links;
  Teacher m_teacher;
  Recorder m_rec;
  ImRecorder m_im;
  QTimer m_frames;
  QTimer m_chat;
  QByteArray m_picture;
  int m_lines = 0;
};

void print(const char *what, const Figures &f) {
  std::printf("%-34s chat p50 %5lld ms  p95 %5lld ms   video p50 %5lld ms  p95 %5lld ms\n", what,
              static_cast<long long>(percentile(f.chat, 0.5)), static_cast<long long>(percentile(f.chat, 0.95)),
              static_cast<long long>(percentile(f.video, 0.5)), static_cast<long long>(percentile(f.video, 0.95)));
}
} // namespace

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  const int cuts = argc > 1 ? qMax(1, std::atoi(argv[1])) : 20;
  g_clock.start();
  GetILive()->init(1400000000, 36862, true);
  GetILive()->setRemoteVideoCallback(onRemoteFrame, nullptr);
  GetILive()->setVideoColorFormat(COLOR_FORMAT_I420);
  Figures resumed, reentered;
  {
    Bench bench;
    if (!bench.enter()) {
      std::fprintf(stderr, "the student could not enter\n");
      return 1;
    }
    for (int i = 0; i < cuts; ++i) {
      qint64 chat = 0, video = 0;
      if (bench.cut(true, &chat, &video)) {
        resumed.chat.append(chat);
        resumed.video.append(video);
      }
      if (bench.cut(false, &chat, &video)) {
        reentered.chat.append(chat);
        reentered.video.append(video);
      }
    }
  }
  std::printf("%d cuts of %d ms, link back to first chat line and first picture\n", cuts, kCutMs);
  print("resumed (back-off 0.5 s, 1 s, ...)", resumed);
  print("lost and entered again", reentered);
  std::printf("(%d and %d of %d cuts measured)\n", int(resumed.chat.size()), int(reentered.chat.size()), cuts);
  GetILive()->release(nullptr, nullptr, nullptr);
  return 0;
}

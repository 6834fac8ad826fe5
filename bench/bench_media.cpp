// The media layer's figures, each beside the raw path's (I420 and PCM frames as protocol
// version 2 carried them) measured in the same run:
// - bits per second on the wire per source (640 × 480 camera test pattern at 15 fps, 1280 × 720
//   lesson slide at 5 fps, voice) and for the demo class's student (camera + screen + voice);
// - CPU time per second of media to encode each source, and to decode a student's whole class
//   (teacher camera, screen and 5 classmates' tiles);
// - PSNR of the decoded pictures against their source;
// - time to the first picture for a subscriber who joins mid-stream, with keyframe requests
//   and without (waiting for the periodic keyframe);
// - latency from a picture handed to the encoder to its decoded picture, through an
//   in-process hub (p50, p99).
// Usage: bench_media [seconds of camera]

#include "hub/hubfixture.h"
#include "support/mediameasure.h"
#include "protocol/mediaframe.h"
#include "sdk/live/testpatterncamera.h"
#include "sdk/media/mediaformat.h"
#include "sdk/media/streamdecoders.h"
#include "sdk/media/videoreceiver.h"
#include "sdk/media/videosender.h"
#include "sdk/media/voicesender.h"
#include "teacher/screenslide.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

using hubproto::MediaFrame;
using hubproto::Source;

namespace {

constexpr int kTiles = 5;

double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty())
    return 0;
  std::sort(v.begin(), v.end());
  return v[static_cast<size_t>(p * (v.size() - 1))];
}

using PictureFn = std::function<QByteArray(int n)>;

struct SourceRun {
  QList<MediaFrame> frames;
  double seconds = 0;     // of media
  double encodeCpu = 0;   // CPU seconds spent encoding
  double wireBits = 0;    // header and payload, as the hub forwards them
  double rawBits = 0;
  double rawCpu = 0;      // framing the raw pictures instead
  double psnrMin = 99;
  double psnrMean = 0;
};

double wireBits(const MediaFrame &f) { return 8.0 * (hubproto::kFrameHeaderSize + f.payload.size()); }

SourceRun runVideo(Source source, int width, int height, int fps, int count, const PictureFn &picture) {
  SourceRun run;
  run.seconds = static_cast<double>(count) / fps;
  QList<QByteArray> pictures; // painted before the clocks run
  for (int n = 0; n < count; ++n)
    pictures << picture(n);
  media::VideoSender sender(source, fps);
  const double start = cpuSeconds();
  for (int n = 0; n < count; ++n)
    run.frames += sender.send(pictures[n], width, height, n * 1000 / fps);
  run.encodeCpu = cpuSeconds() - start;
  for (const MediaFrame &f : run.frames)
    run.wireBits += wireBits(f);
  const double rawStart = cpuSeconds();
  for (int n = 0; n < count; ++n) {
    run.rawBits += 8.0 * (hubproto::kFrameHeaderSize + pictures[n].size());
    MediaFrame back;
    QString why;
    hubproto::decodeFrame(hubproto::encodeFrame(hubproto::videoFrame(source, width, height, pictures[n], 0)), &back, &why);
  }
  run.rawCpu = cpuSeconds() - rawStart;
  media::VideoReceiver receiver([] {});
  double sum = 0;
  int shown = 0;
  for (int i = 0; i < run.frames.size(); ++i) {
    media::Picture p;
    if (!receiver.receive(run.frames[i], i, &p))
      continue;
    const double db = mediameasure::psnrY(p.i420, pictures.value(i), width, height);
    run.psnrMin = std::min(run.psnrMin, db);
    sum += db;
    ++shown;
  }
  run.psnrMean = shown ? sum / shown : 0;
  return run;
}

void printSource(const char *name, const SourceRun &r) {
  std::printf("%-28s wire %7.0f kbit/s (raw %8.0f kbit/s)   encode CPU %5.1f %% of a core (raw framing %4.1f %%)"
              "   PSNR min %.1f dB mean %.1f dB\n",
              name, r.wireBits / r.seconds / 1000, r.rawBits / r.seconds / 1000, 100 * r.encodeCpu / r.seconds,
              100 * r.rawCpu / r.seconds, r.psnrMin, r.psnrMean);
}

SourceRun runVoice(double seconds) {
  SourceRun run;
  run.seconds = seconds;
  constexpr int rate = 16000;
  constexpr int chunk = rate / 50;
  media::VoiceSender sender;
  const int chunks = static_cast<int>(seconds * 50);
  const double start = cpuSeconds();
  for (int c = 0; c < chunks; ++c) // a voice-like tone that glides between 200 and 600 Hz
    run.frames += sender.send(mediameasure::sine(200 + 400 * (c % 50) / 50.0, rate, chunk, 6000, c * chunk), rate, c * 20);
  run.encodeCpu = cpuSeconds() - start;
  for (const MediaFrame &f : run.frames)
    run.wireBits += wireBits(f);
  run.rawBits = chunks * 8.0 * (hubproto::kFrameHeaderSize + 2 * chunk);
  return run;
}

// Decodes the class as a student's client does: every stream once.
double decodeClassCpu(const QList<QList<MediaFrame>> &streams, double seconds) {
  media::StreamDecoders decoders([](const QString &, Source) {});
  int longest = 0;
  for (const QList<MediaFrame> &s : streams)
    longest = std::max(longest, static_cast<int>(s.size()));
  const double start = cpuSeconds();
  for (int i = 0; i < longest; ++i) {
    for (const QList<MediaFrame> &s : streams) {
      media::Picture p;
      if (i < s.size())
        decoders.receive(s[i], i, &p);
    }
  }
  return (cpuSeconds() - start) / seconds;
}

QList<MediaFrame> owned(QList<MediaFrame> frames, const QByteArray &owner) {
  for (MediaFrame &f : frames)
    f.userId = owner;
  return frames;
}

// An in-process hub whose teacher "t" publishes a camera in room 1.
struct PublishingHub {
  PublishingHub() : teacher(hub) {
    teacher.login(QStringLiteral("t"));
    teacher.join(1, QStringLiteral("LiveMaster"));
    teacher.publish(QStringLiteral("camera"));
  }
  Hub hub{kTestSecret};
  TestParticipant teacher;
};

// A publisher at 15 fps through an in-process hub; a subscriber joins at joinMs. Returns the
// milliseconds of media time until its first decoded picture, plus the decoding's own time.
double firstPicture(int joinMs, bool answerRequests) {
  PublishingHub room;
  TestParticipant &teacher = room.teacher;
  TestParticipant joiner(room.hub);
  media::VideoSender sender(Source::Camera, 15);
  media::VideoReceiver receiver([&] {
    joiner.request(QStringLiteral("keyframe"),
                   QJsonObject{{QStringLiteral("userId"), QStringLiteral("t")}, {QStringLiteral("source"), QStringLiteral("camera")}});
  });
  bool joined = false;
  for (int n = 0; n < 15 * 10; ++n) {
    const int now = n * 1000 / 15;
    if (!joined && now >= joinMs) {
      joiner.login(QStringLiteral("j"));
      joiner.join(1);
      joined = true;
    }
    if (!teacher.take(QStringLiteral("keyframe")).isEmpty() && answerRequests)
      sender.requestKeyframe();
    for (const MediaFrame &f : sender.send(ilivesdk::TestPatternCamera::picture(n), 640, 480, now))
      teacher.frame(hubproto::encodeFrame(f));
    while (joined && !joiner.peer.frames.isEmpty()) {
      MediaFrame f;
      QString why;
      hubproto::decodeFrame(joiner.peer.frames.takeFirst(), &f, &why);
      QElapsedTimer decode;
      decode.start();
      media::Picture p;
      if (receiver.receive(f, now, &p))
        return now - joinMs + decode.elapsed();
    }
  }
  return -1;
}

// Picture in to decoded picture out, through an in-process hub, per frame.
std::vector<double> latencies(int count, bool raw) {
  PublishingHub room;
  TestParticipant &teacher = room.teacher;
  TestParticipant student(room.hub);
  student.login(QStringLiteral("s"));
  student.join(1);
  media::VideoSender sender(Source::Camera, 15);
  media::VideoReceiver receiver([] {});
  std::vector<double> out;
  for (int n = 0; n < count; ++n) {
    const QByteArray picture = ilivesdk::TestPatternCamera::picture(n);
    QElapsedTimer clock;
    clock.start();
    const QList<MediaFrame> frames =
        raw ? QList<MediaFrame>{hubproto::videoFrame(Source::Camera, 640, 480, picture, 0)}
            : sender.send(picture, 640, 480, n * 66);
    for (const MediaFrame &f : frames) {
      // The hub refuses raw frames now; the raw path is framed and read back as it was.
      MediaFrame back;
      QString why;
      if (raw) {
        hubproto::decodeFrame(hubproto::encodeFrame(f), &back, &why);
        out.push_back(clock.nsecsElapsed() / 1e6);
        continue;
      }
      teacher.frame(hubproto::encodeFrame(f));
      while (!student.peer.frames.isEmpty()) {
        hubproto::decodeFrame(student.peer.frames.takeFirst(), &back, &why);
        media::Picture p;
        if (receiver.receive(back, n, &p))
          out.push_back(clock.nsecsElapsed() / 1e6);
      }
    }
  }
  return out;
}

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv); // the slide's text needs fonts
  const double cameraSeconds = argc > 1 ? std::max(1.0, QByteArray(argv[1]).toDouble()) : 4.0;
  const int cameraFrames = static_cast<int>(cameraSeconds * 15);
  const int screenFrames = static_cast<int>(cameraSeconds * 5);

  auto pattern = [](int n) { return ilivesdk::TestPatternCamera::picture(n); };
  const ScreenSlide slide(ScenarioSlide{QStringLiteral("一元二次方程"),
                                        {QStringLiteral("ax² + bx + c = 0 (a ≠ 0)"),
                                         QStringLiteral("判别式 Δ = b² − 4ac"), QStringLiteral("x = (−b ± √Δ) / 2a")}});
  auto slidePicture = [&slide](int n) { return slide.frame(n); };

  std::printf("bench_media: %.0f s of camera, %d screen pictures; raw = I420 / PCM frames as version 2 sent them\n",
              cameraSeconds, screenFrames);
  const SourceRun camera = runVideo(Source::Camera, 640, 480, 15, cameraFrames, pattern);
  printSource("camera 640x480@15", camera);
  const SourceRun screen = runVideo(Source::Screen, 1280, 720, 5, screenFrames, slidePicture);
  printSource("screen 1280x720@5 (slide)", screen);
  const SourceRun voice = runVoice(cameraSeconds);
  std::printf("%-28s wire %7.0f kbit/s (raw %8.0f kbit/s)   encode CPU %5.1f %% of a core\n", "voice 20 ms Opus",
              voice.wireBits / voice.seconds / 1000, voice.rawBits / voice.seconds / 1000,
              100 * voice.encodeCpu / voice.seconds);

  // The demo class's student receives the teacher's camera, screen and voice (goal 1.5 Mbit/s).
  const double student = camera.wireBits / camera.seconds + screen.wireBits / screen.seconds + voice.wireBits / voice.seconds;
  const double studentRaw = camera.rawBits / camera.seconds + screen.rawBits / screen.seconds + voice.rawBits / voice.seconds;
  std::printf("%-28s wire %7.2f Mbit/s (raw %8.2f Mbit/s)   goal <= 1.5 Mbit/s\n", "student: camera+screen+voice",
              student / 1e6, studentRaw / 1e6);

  QList<QList<MediaFrame>> cls{owned(camera.frames, "t"), owned(screen.frames, "t")};
  for (int t = 0; t < kTiles; ++t) {
    const SourceRun tile = runVideo(Source::Camera, 640, 480, 15, cameraFrames,
                                    [t](int n) { return ilivesdk::TestPatternCamera::picture(n + 7 * t); });
    cls << owned(tile.frames, "c" + QByteArray::number(t));
  }
  std::printf("%-28s decode CPU %5.1f %% of a core (raw path decodes nothing)   goal <= 25 %%\n",
              "class: camera+screen+5 tiles", 100 * decodeClassCpu(cls, cameraSeconds));

  std::vector<double> withRequest;
  std::vector<double> without;
  for (int join : {1033, 1500, 2210, 3070, 4480}) {
    withRequest.push_back(firstPicture(join, true));
    without.push_back(firstPicture(join, false));
  }
  std::printf("%-28s p50 %6.0f ms, max %6.0f ms (without keyframe requests p50 %6.0f ms, max %6.0f ms)   goal <= 1000 ms\n",
              "first picture, mid-stream", percentile(withRequest, 0.5), percentile(withRequest, 1.0),
              percentile(without, 0.5), percentile(without, 1.0));

  const std::vector<double> coded = latencies(cameraFrames, false);
  const std::vector<double> raw = latencies(cameraFrames, true);
  std::printf("%-28s p50 %6.1f ms, p99 %6.1f ms (raw framing p50 %6.1f ms)   goal p50 <= 100 ms\n",
              "picture in to picture out", percentile(coded, 0.5), percentile(coded, 0.99), percentile(raw, 0.5));
  return 0;
}

// The media layer on its own: VP8 and Opus through GStreamer, the keyframe chain of a received
// stream, refusal of payloads that are not what they claim, and the voice jitter buffer.
// Streams are small and short: the machine running the tests is shared.
#include "support/mediameasure.h"
#include "protocol/mediaframe.h"
#include "sdk/live/testpatterncamera.h"
#include "sdk/media/jitterbuffer.h"
#include "sdk/media/mediaformat.h"
#include "sdk/media/videoreceiver.h"
#include "sdk/media/videosender.h"
#include "sdk/media/voicereceiver.h"
#include "sdk/media/voicesender.h"
#include "sdk/media/vp8header.h"
#include "sdk/media/vp8settings.h"

#include <QtTest>

using hubproto::MediaFrame;
using hubproto::Source;

namespace {
constexpr int kW = 160;
constexpr int kH = 120;
constexpr int kFrameMs = 66;

QByteArray pattern(int n) { return ilivesdk::TestPatternCamera::picture(n, kW, kH); }

// Pictures from .. from+count-1 of the test pattern, as a camera publisher sends them.
QList<MediaFrame> encodePattern(media::VideoSender &sender, int from, int count) {
  QList<MediaFrame> frames;
  for (int n = from; n < from + count; ++n)
    frames += sender.send(pattern(n), kW, kH, n * kFrameMs);
  return frames;
}
} // namespace

class TestMedia : public QObject {
  Q_OBJECT
private slots:
  void bitrateFollowsPixelsAndRate() {
    const media::Vp8Settings camera = media::Vp8Settings::forSource(640, 480, 15, false);
    const media::Vp8Settings screen = media::Vp8Settings::forSource(1280, 720, 5, true);
    QVERIFY2(camera.bitrate >= 350000 && camera.bitrate <= 450000, QByteArray::number(camera.bitrate));
    QVERIFY2(screen.bitrate >= 500000 && screen.bitrate <= 700000, QByteArray::number(screen.bitrate));
    // Tiny and huge sources stay within sane rates.
    QVERIFY(media::Vp8Settings::forSource(16, 16, 1, false).bitrate >= 64000);
    QVERIFY(media::Vp8Settings::forSource(4096, 4096, 60, false).bitrate <= 1500000);
  }

  void vp8RoundTripKeepsThePicture() {
    media::VideoSender sender(Source::Camera, 15);
    const QList<MediaFrame> frames = encodePattern(sender, 0, 12);
    QCOMPARE(frames.size(), 12);
    QVERIFY(frames.first().keyframe);
    QCOMPARE(frames.first().format, MediaFrame::Vp8);
    int asked = 0;
    media::VideoReceiver receiver([&] { ++asked; });
    double worst = 99;
    for (int i = 0; i < frames.size(); ++i) {
      QCOMPARE(frames[i].sequence, quint32(i));
      QVERIFY(!frames[i].keyframe || i == 0);
      // The encoded frame is far smaller than the raw one.
      QVERIFY(frames[i].payload.size() < hubproto::i420Size(kW, kH) / 4);
      media::Picture picture;
      QVERIFY2(receiver.receive(frames[i], i * kFrameMs, &picture), QByteArray::number(i));
      QCOMPARE(picture.width, kW);
      QCOMPARE(picture.height, kH);
      worst = qMin(worst, mediameasure::psnrY(picture.i420, pattern(i), kW, kH));
    }
    QVERIFY2(worst >= 30, QByteArray::number(worst));
    QCOMPARE(asked, 0);
  }

  void keyframesComeOnRequestAndEveryFewSeconds() {
    media::VideoSender sender(Source::Camera, 15);
    encodePattern(sender, 0, 3);
    sender.requestKeyframe();
    QList<MediaFrame> next = sender.send(pattern(3), kW, kH, 3 * kFrameMs);
    QCOMPARE(next.size(), 1);
    QVERIFY(next.first().keyframe);
    QVERIFY(!sender.send(pattern(4), kW, kH, 4 * kFrameMs).first().keyframe);
    // One picture every 700 ms: within 3 s of the last keyframe there must be another.
    int sinceKeyframe = 0;
    for (int n = 5; n < 15; ++n) {
      const QList<MediaFrame> f = sender.send(pattern(n), kW, kH, 4 * kFrameMs + (n - 4) * 700);
      QCOMPARE(f.size(), 1);
      sinceKeyframe = f.first().keyframe ? 0 : sinceKeyframe + 700;
      QVERIFY2(sinceKeyframe <= media::kKeyframeIntervalMs, QByteArray::number(n));
    }
  }

  void aJoinerWaitsForAKeyframeAndAsksForIt() {
    media::VideoSender sender(Source::Camera, 15);
    const QList<MediaFrame> frames = encodePattern(sender, 0, 8);
    int asked = 0;
    media::VideoReceiver joiner([&] { ++asked; });
    media::Picture picture;
    // Joined at frame 3: the deltas cannot be shown, and it asks (not with every frame).
    for (int i = 3; i < 6; ++i)
      QVERIFY(!joiner.receive(frames[i], i * 10, &picture));
    QCOMPARE(asked, 1);
    QCOMPARE(joiner.skipped(), quint64(3));
    sender.requestKeyframe();
    const QList<MediaFrame> key = sender.send(pattern(8), kW, kH, 8 * kFrameMs);
    QVERIFY(key.first().keyframe);
    QVERIFY(joiner.receive(key.first(), 1000, &picture));
    QVERIFY(mediameasure::psnrY(picture.i420, pattern(8), kW, kH) >= 30);
  }

  void aGapStopsThePictureUntilTheNextKeyframe() {
    media::VideoSender sender(Source::Camera, 15);
    const QList<MediaFrame> frames = encodePattern(sender, 0, 6);
    int asked = 0;
    media::VideoReceiver receiver([&] { ++asked; });
    media::Picture picture;
    QVERIFY(receiver.receive(frames[0], 0, &picture));
    QVERIFY(receiver.receive(frames[1], 10, &picture));
    QVERIFY(!receiver.receive(frames[3], 20, &picture)); // frame 2 lost
    QVERIFY(!receiver.receive(frames[4], 30, &picture));
    QCOMPARE(asked, 1);
    sender.requestKeyframe();
    const MediaFrame key = sender.send(pattern(6), kW, kH, 6 * kFrameMs).first();
    QVERIFY(receiver.receive(key, 400, &picture));
    QVERIFY(mediameasure::psnrY(picture.i420, pattern(6), kW, kH) >= 30);
  }

  void malformedPayloadsAreRefusedAndTheStreamRecovers() {
    media::VideoSender sender(Source::Camera, 15);
    const QList<MediaFrame> frames = encodePattern(sender, 0, 3);
    int asked = 0;
    media::VideoReceiver receiver([&] { ++asked; });
    media::Picture picture;
    QVERIFY(receiver.receive(frames[0], 0, &picture));

    QList<MediaFrame> bad;
    MediaFrame truncated = frames[0];
    truncated.payload.truncate(20);
    bad << truncated;
    MediaFrame noise = frames[1];
    noise.payload = QByteArray(300, '\xa5');
    bad << noise;
    MediaFrame liar = frames[1];
    liar.keyframe = true; // a delta frame that claims to stand alone
    bad << liar;
    MediaFrame resized = frames[0];
    resized.width = kW * 2; // its keyframe header says otherwise
    bad << resized;
    MediaFrame raw = hubproto::videoFrame(Source::Camera, kW, kH, pattern(0), 0);
    bad << raw;
    MediaFrame keyNoise = frames[0];
    keyNoise.payload = frames[0].payload.left(10) + QByteArray(frames[0].payload.size() - 10, '\x33');
    bad << keyNoise;
    qint64 now = 100;
    for (const MediaFrame &f : bad) {
      media::Picture shown;
      const bool showed = receiver.receive(f, now += 300, &shown);
      // Even a payload that slips past the header check must not leave garbage on screen: if
      // anything is shown it is only this one frame, and the next good keyframe replaces it.
      if (showed)
        QVERIFY(&f == &bad.last());
    }
    QVERIFY2(receiver.malformed() >= quint64(bad.size() - 1), QByteArray::number(receiver.malformed()));
    QVERIFY(asked >= bad.size() - 1);
    QVERIFY(!receiver.receive(frames[2], now += 300, &picture)); // a delta after the damage
    sender.requestKeyframe();
    const MediaFrame key = sender.send(pattern(3), kW, kH, 3 * kFrameMs).first();
    QVERIFY(receiver.receive(key, now += 300, &picture));
    QVERIFY(mediameasure::psnrY(picture.i420, pattern(3), kW, kH) >= 30);
  }

  void vp8HeaderReadsOnlyWholeFrames() {
    media::VideoSender sender(Source::Screen, 5);
    const QList<MediaFrame> frames = encodePattern(sender, 0, 2);
    media::Vp8Header h;
    QVERIFY(media::Vp8Header::read(frames[0].payload, &h));
    QVERIFY(h.keyframe);
    QCOMPARE(h.width, kW);
    QCOMPARE(h.height, kH);
    QVERIFY(media::Vp8Header::read(frames[1].payload, &h));
    QVERIFY(!h.keyframe);
    QVERIFY(!media::Vp8Header::read(frames[0].payload.left(9), &h));
    QVERIFY(!media::Vp8Header::read(QByteArray(), &h));
    QByteArray badStart = frames[0].payload;
    badStart[3] = 0;
    QVERIFY(!media::Vp8Header::read(badStart, &h));
    // A first partition longer than the frame: the frame was cut short.
    QVERIFY(!media::Vp8Header::read(frames[1].payload.left(4), &h));
  }

  void opusCarriesAToneAtItsPitch() {
    constexpr int rate = 16000;
    media::VoiceSender sender;
    media::VoiceReceiver receiver(rate);
    QList<MediaFrame> frames;
    for (int chunk = 0; chunk < 25; ++chunk) // half a second in 20 ms chunks
      frames += sender.send(mediameasure::sine(1000, rate, 320, 8000, chunk * 320), rate, chunk * 20);
    QVERIFY2(frames.size() >= 23, QByteArray::number(frames.size()));
    int bytes = 0;
    for (const MediaFrame &f : frames) {
      QCOMPARE(f.format, MediaFrame::Opus);
      bytes += f.payload.size();
      receiver.receive(f);
    }
    // About 32 kbit/s: 20 ms packets of about 80 bytes.
    const double bitsPerSecond = bytes * 8.0 / (frames.size() * 0.02);
    QVERIFY2(bitsPerSecond > 16000 && bitsPerSecond < 48000, QByteArray::number(bitsPerSecond));
    QByteArray out;
    for (int i = 0; i < frames.size(); ++i)
      out += receiver.pull();
    const QByteArray steady = out.mid(out.size() / 4); // past the codec's start
    const double pitch = mediameasure::frequency(steady, rate);
    QVERIFY2(qAbs(pitch - 1000) < 15, QByteArray::number(pitch));
    QVERIFY(mediameasure::rms(steady) > 3000);
  }

  void aLostVoicePacketIsConcealedNotSilent() {
    constexpr int rate = 16000;
    media::VoiceSender sender;
    QList<MediaFrame> frames;
    for (int chunk = 0; chunk < 15; ++chunk)
      frames += sender.send(mediameasure::sine(440, rate, 320, 8000, chunk * 320), rate, chunk * 20);
    QVERIFY(frames.size() >= 12);
    media::VoiceReceiver receiver(rate);
    for (int i = 0; i < frames.size(); ++i) {
      if (i != 8)
        receiver.receive(frames[i]);
    }
    QList<QByteArray> played;
    for (int i = 0; i < 11; ++i)
      played << receiver.pull();
    QCOMPARE(receiver.concealed(), quint64(1));
    // Every slot plays 20 ms of the tone, the lost one included: no gap, no silence.
    for (int i = 1; i < played.size(); ++i)
      QVERIFY2(played[i].size() == 640 && mediameasure::rms(played[i]) > 1000, QByteArray::number(i));
    MediaFrame notOpus = frames[0];
    notOpus.format = MediaFrame::PcmS16;
    receiver.receive(notOpus);
    QCOMPARE(receiver.malformed(), quint64(1));
  }

  void jitterBufferPlaysInOrderAfterItsDepth() {
    media::JitterBuffer jitter(3);
    QByteArray p;
    jitter.push(11, "b");
    jitter.push(10, "a");
    QCOMPARE(jitter.pop(&p), media::JitterBuffer::Slot::Idle); // two of three
    jitter.push(13, "d");
    QCOMPARE(jitter.pop(&p), media::JitterBuffer::Slot::Packet);
    QCOMPARE(p, QByteArray("a"));
    QCOMPARE(jitter.pop(&p), media::JitterBuffer::Slot::Packet);
    QCOMPARE(p, QByteArray("b"));
    QCOMPARE(jitter.pop(&p), media::JitterBuffer::Slot::Missing); // 12 never came
    jitter.push(12, "c");                                         // too late now
    QCOMPARE(jitter.late(), quint64(1));
    QCOMPARE(jitter.pop(&p), media::JitterBuffer::Slot::Packet);
    QCOMPARE(p, QByteArray("d"));
    // The speaker ran dry: a few slots are concealed, then it goes quiet and gathers again.
    for (int i = 0; i < 3; ++i)
      QCOMPARE(jitter.pop(&p), media::JitterBuffer::Slot::Missing);
    QCOMPARE(jitter.pop(&p), media::JitterBuffer::Slot::Idle);
    QVERIFY(!jitter.isPlaying());
  }

  void jitterBufferSurvivesWrapAndFloods() {
    media::JitterBuffer jitter(3, 5);
    QByteArray p;
    for (quint32 s = 0xfffffffe; s != 3; ++s)
      jitter.push(s, QByteArray::number(s));
    QCOMPARE(jitter.queued(), 5); // 0xfffffffe .. 2
    QCOMPARE(jitter.pop(&p), media::JitterBuffer::Slot::Packet);
    QCOMPARE(p, QByteArray::number(0xfffffffeu));
    for (quint32 s = 3; s < 20; ++s)
      jitter.push(s, QByteArray::number(s));
    QCOMPARE(jitter.queued(), 5); // the oldest gave way
    QCOMPARE(jitter.pop(&p), media::JitterBuffer::Slot::Packet);
    QCOMPARE(p, QByteArray("15"));
  }
};

QTEST_GUILESS_MAIN(TestMedia)
#include "test_media.moc"

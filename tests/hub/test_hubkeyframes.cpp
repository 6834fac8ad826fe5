// Keyframes at the hub: subscribers' requests reach the publisher a few times a second at
// most, and nobody is handed a video chain with a hole in it (joining mid-stream, or losing
// frames as a slow reader).
#include "hubfixture.h"

#include "support/mediameasure.h"
#include "protocol/protocol.h"
#include "sdk/live/testpatterncamera.h"
#include "sdk/media/videoreceiver.h"
#include "sdk/media/videosender.h"

#include <QJsonArray>
#include <QtTest>

using hubproto::Source;

namespace {
QJsonObject keyframeBody(const QString &user, const QString &source) {
  return QJsonObject{{QStringLiteral("userId"), user}, {QStringLiteral("source"), source}};
}

QList<quint32> sequences(const FakePeer &peer) {
  QList<quint32> out;
  for (const QByteArray &bytes : peer.frames) {
    hubproto::MediaFrame f;
    QString why;
    if (hubproto::decodeFrame(bytes, &f, &why) && f.kind == hubproto::MediaFrame::Video)
      out << f.sequence;
  }
  return out;
}
} // namespace

class TestHubKeyframes : public QObject {
  Q_OBJECT
private:
  Hub *hub = nullptr;
  TestParticipant *teacher = nullptr;
  TestParticipant *student = nullptr;

  void send(quint32 sequence, bool keyframe, Source source = Source::Camera) {
    teacher->frame(hubproto::encodeFrame(testVp8Frame(source, keyframe, sequence)));
  }
  int asked(const QString &source = QStringLiteral("camera")) {
    int n = 0;
    for (const QJsonObject &o : teacher->take(QStringLiteral("keyframe")))
      n += o.value(QStringLiteral("source")).toString() == source ? 1 : 0;
    return n;
  }

private slots:
  void init() {
    hub = new Hub(kTestSecret);
    teacher = new TestParticipant(*hub);
    student = new TestParticipant(*hub);
    teacher->login(QStringLiteral("t"));
    teacher->join(5, QStringLiteral("LiveMaster"));
    QVERIFY(!teacher->publish(QStringLiteral("camera"), true).isEmpty());
    student->login(QStringLiteral("s"));
    student->join(5);
  }
  void cleanup() {
    delete student;
    delete teacher;
    delete hub;
  }

  void aJoinerStartsAtAKeyframeAndThePublisherIsAsked() {
    send(0, true);
    send(1, false);
    TestParticipant joiner(*hub);
    joiner.login(QStringLiteral("j"));
    joiner.join(5);
    send(2, false);
    QVERIFY(joiner.peer.frames.isEmpty());
    QCOMPARE(asked(), 1);
    send(3, false); // asked already, a moment ago
    QCOMPARE(asked(), 0);
    send(4, true);
    send(5, false);
    QCOMPARE(sequences(joiner.peer), (QList<quint32>{4, 5}));
    QCOMPARE(sequences(student->peer), (QList<quint32>{0, 1, 2, 3, 4, 5}));
  }

  void aSlowReaderLosesTheChainUntilTheNextKeyframe() {
    HubLimits limits;
    limits.maxQueuedMediaBytes = 1000; // two frames of about 430 bytes
    hub->setLimits(limits);
    send(0, true);
    student->peer.slow = true;
    for (quint32 s = 1; s < 6; ++s)
      send(s, false);
    QCOMPARE(asked(), 1);
    // Room again, but the frames that come now refer to ones it never got.
    student->peer.slow = false;
    student->peer.queued = 0;
    send(6, false);
    send(7, false);
    QCOMPARE(sequences(student->peer), (QList<quint32>{0, 1, 2}));
    // Voice does not wait for keyframes: it comes as soon as there is room.
    teacher->frame(hubproto::encodeFrame(hubproto::opusFrame(QByteArray(80, 'o'), 0, 0)));
    QCOMPARE(student->peer.frames.size(), 4);
    send(8, true);
    send(9, false);
    QCOMPARE(sequences(student->peer), (QList<quint32>{0, 1, 2, 8, 9}));
    const QJsonObject pong = student->request(QStringLiteral("ping"));
    QCOMPARE(pong.value(QStringLiteral("droppedFrames")).toInt(), 5);
  }

  void aKeyframeArrivingWhileFullIsNotHalfDelivered() {
    HubLimits limits;
    limits.maxQueuedMediaBytes = 500;
    hub->setLimits(limits);
    student->peer.slow = true;
    send(0, true);  // fits
    send(1, true);  // no room: dropped
    send(2, false); // the chain it belongs to is broken for this reader
    student->peer.slow = false;
    student->peer.queued = 0;
    send(3, false);
    send(4, true);
    QCOMPARE(sequences(student->peer), (QList<quint32>{0, 4}));
  }

  // Real VP8 through the hub to a reader that stalls: once it reads again it shows nothing
  // broken, and the first picture it shows is the publisher's picture.
  void aSlowReaderRecoversACleanPicture() {
    HubLimits limits;
    limits.maxQueuedMediaBytes = 4000; // a keyframe and a few frames after it
    hub->setLimits(limits);
    constexpr int w = 160, h = 120;
    auto picture = [](int n) { return ilivesdk::TestPatternCamera::picture(n, w, h); };
    media::VideoSender sender(Source::Camera, 15);
    int asks = 0;
    media::VideoReceiver receiver([&] { ++asks; });
    int shown = 0;
    double worst = 99;
    auto pump = [&](int n) {
      if (!teacher->take(QStringLiteral("keyframe")).isEmpty())
        sender.requestKeyframe();
      for (const hubproto::MediaFrame &f : sender.send(picture(n), w, h, n * 66))
        teacher->frame(hubproto::encodeFrame(f));
      if (student->peer.slow)
        return;
      while (!student->peer.frames.isEmpty()) {
        hubproto::MediaFrame f;
        QString why;
        QVERIFY(hubproto::decodeFrame(student->peer.frames.takeFirst(), &f, &why));
        media::Picture p;
        if (receiver.receive(f, n * 66, &p)) {
          ++shown;
          worst = qMin(worst, mediameasure::psnrY(p.i420, picture(int(f.timestamp / 66)), w, h));
        }
      }
    };
    for (int n = 0; n < 4; ++n)
      pump(n);
    QCOMPARE(shown, 4);
    student->peer.slow = true; // stalls: its queue fills and the hub sheds the chain
    for (int n = 4; n < 40; ++n)
      pump(n);
    const int queuedFrames = student->peer.frames.size();
    QVERIFY(queuedFrames < 36); // the hub did shed frames
    student->peer.slow = false;
    student->peer.queued = 0;
    QTest::qWait(350); // the stall lasted seconds of media; the hub's request spacing has passed
    for (int n = 40; n < 46; ++n)
      pump(n);
    // What was queued before the stall, then a new chain from the keyframe the hub asked for:
    // every frame the reader got decoded into the picture that was sent.
    QVERIFY2(shown >= 4 + queuedFrames + 5, QByteArray::number(shown));
    QCOMPARE(asks, 0);
    QVERIFY2(worst >= 30, QByteArray::number(worst));
    QCOMPARE(receiver.malformed(), quint64(0));
  }

  void keyframeRequestsReachThePublisherAFewTimesASecond() {
    send(0, true);
    QCOMPARE(student->code(student->request(QStringLiteral("keyframe"), keyframeBody("t", "camera"))), 0);
    QCOMPARE(student->code(student->request(QStringLiteral("keyframe"), keyframeBody("t", "camera"))), 0);
    QCOMPARE(asked(), 1);
    QTest::qWait(350);
    QCOMPARE(student->code(student->request(QStringLiteral("keyframe"), keyframeBody("t", "camera"))), 0);
    QCOMPARE(asked(), 1);
  }

  void keyframeRequestsAreChecked() {
    TestParticipant elsewhere(*hub);
    elsewhere.login(QStringLiteral("e"));
    elsewhere.join(6);
    QCOMPARE(student->code(student->request(QStringLiteral("keyframe"), keyframeBody("t", "audio"))),
             int(hubproto::BadArgument));
    QCOMPARE(student->code(student->request(QStringLiteral("keyframe"), QJsonObject{})), int(hubproto::BadArgument));
    QCOMPARE(student->code(student->request(QStringLiteral("keyframe"), keyframeBody("t", "media"))),
             int(hubproto::StreamNotFound));
    QCOMPARE(elsewhere.code(elsewhere.request(QStringLiteral("keyframe"), keyframeBody("t", "camera"))),
             int(hubproto::NotInRoom));
    QVERIFY(!teacher->publish(QStringLiteral("screen")).isEmpty());
    // A screen comes only to those who asked for it; others have nothing to ask a keyframe of.
    QCOMPARE(student->code(student->request(QStringLiteral("keyframe"), keyframeBody("t", "screen"))),
             int(hubproto::NotAllowed));
    QCOMPARE(asked(QStringLiteral("screen")), 0);
  }
};

QTEST_GUILESS_MAIN(TestHubKeyframes)
#include "test_hubkeyframes.moc"

// Media through Janus's VideoRoom with the SDK's WebRTC transport, against a real Janus in the
// test's own network namespace and the built tarnwick-local, which makes the class's room and
// hands out the seats (token and feed block). The teacher publishes the numbered test pattern
// and a tone as the SDK encodes them; the student's transport hands over encoded frames that
// the SDK's decoders turn into the same pictures and the same tone, also while a tenth of
// the UDP packets are lost.
#include "mediapath.h"

#include "support/janusengine.h"
#include "support/localservice.h"
#include "support/mediameasure.h"
#include "sdk/media/mediaformat.h"
#include "sdk/net/webrtc/janusmediatransport.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

using hubproto::Source;

namespace {
constexpr quint32 kRoom = 300101;
const QString kTeacherId = QStringLiteral("t20001");
const QString kStudentId = QStringLiteral("s10001");
constexpr int kFps = 15;
// Generous for a machine busy building: ICE, DTLS and the first keyframe usually take < 1 s.
constexpr int kFirstPictureMs = 20000;
constexpr double kMinPsnr = 30;
// Longer than ICE tries its checks for, and than a subscription may go without a first frame.
constexpr int kCutMs = 15000;
} // namespace

class TestJanusMedia : public QObject {
  Q_OBJECT
  JanusEngine m_janus;
  std::unique_ptr<LocalService> m_service;
  std::unique_ptr<sdk::JanusMediaTransport> m_teacher;
  std::unique_ptr<sdk::JanusMediaTransport> m_student;
  std::unique_ptr<mediapath::Sender> m_sender;
  std::unique_ptr<mediapath::Receiver> m_receiver;

  // The student decodes pictures again and the last one is the teacher's picture it names.
  bool picturesFlow(int pictures) {
    const int from = m_receiver->pictures();
    const int asks = m_sender->keyframeRequests();
    QElapsedTimer took;
    took.start();
    const bool came = QTest::qWaitFor([&] { return m_receiver->pictures() >= from + pictures; }, kFirstPictureMs);
    const int n = m_receiver->lastNumber();
    const double psnr = mediameasure::psnrY(m_receiver->lastPicture(), mediapath::numberedPicture(n), mediapath::kWidth,
                                            mediapath::kHeight);
    qInfo("%d pictures in %lld ms, the last (number %d) at %.1f dB; %d keyframe requests reached the sender",
          m_receiver->pictures() - from, took.elapsed(), n, psnr, m_sender->keyframeRequests() - asks);
    return came && n >= 0 && psnr >= kMinPsnr;
  }

private slots:
  void initTestCase() {
    QVERIFY2(m_janus.start(), qPrintable(m_janus.errorString()));
    m_service = m_janus.makeService();
    QVERIFY2(m_service->start(), qPrintable(m_service->errorString()));
    const sdk::JanusEndpoint teacher =
        mediapath::janusSeat(*m_service, QStringLiteral("13900000001"), QStringLiteral("teacher01"), QStringLiteral("1"), kRoom);
    const sdk::JanusEndpoint student =
        mediapath::janusSeat(*m_service, QStringLiteral("13800000001"), QStringLiteral("tarnwick01"), QStringLiteral("0"), kRoom);
    QVERIFY(teacher.isUsable() && student.isUsable());
    m_teacher = std::make_unique<sdk::JanusMediaTransport>(teacher, kTeacherId);
    m_student = std::make_unique<sdk::JanusMediaTransport>(student, kStudentId);
    QVERIFY2(QTest::qWaitFor([&] { return m_teacher->isInRoom() && m_student->isInRoom(); }, 10000),
             m_janus.log().right(2000).constData());
    m_sender = std::make_unique<mediapath::Sender>(m_teacher.get(), Source::Camera);
    m_receiver = std::make_unique<mediapath::Receiver>(m_student.get());
  }

  void pictureAndVoiceReachTheSubscriberDecoded() {
    m_sender->start(kFps);
    QVERIFY2(picturesFlow(30), m_janus.log().right(3000).constData());
    QVERIFY(m_sender->keyframeRequests() >= 1); // the new subscriber's PLI reached the encoder
    QVERIFY(QTest::qWaitFor([&] { return m_receiver->voice().size() >= media::kOpusRate * 2; }, 10000));
    const QByteArray tone = m_receiver->voice().right(media::kOpusRate * 2); // the last second
    QVERIFY2(qAbs(mediameasure::frequency(tone, media::kOpusRate) - mediapath::kToneHz) < 10,
             qPrintable(QString::number(mediameasure::frequency(tone, media::kOpusRate))));
    QVERIFY(mediameasure::rms(tone) > 1000);
    // What arrived is what was sent: the owner's id and source on each frame.
    QVERIFY(m_receiver->encodedBytes(Source::Camera) > 0 && m_receiver->encodedBytes(Source::Audio) > 0);
  }

  void picturesComeThroughTenPercentLoss() {
    QVERIFY(JanusEngine::setUdpLoss(10));
    QTest::qWait(1000);
    const bool flowing = picturesFlow(40);
    QVERIFY(JanusEngine::setUdpLoss(0));
    QVERIFY(flowing);
  }

  void aSourceThatStopsIsNoLongerReceived() {
    m_sender->stop();
    QVERIFY(QTest::qWaitFor([&] { return m_student->receiving() == 0; }, 10000));
    m_sender->start(kFps);
    QVERIFY(picturesFlow(10));
  }

  // A classmate that comes in while UDP is cut cannot connect its subscription; ICE gives up
  // during the cut. Once the cut ends, the subscription that brought nothing is asked for
  // again, and pictures come.
  void aSubscriptionMadeDuringACutComesUpAfterIt() {
    const sdk::JanusEndpoint seat = mediapath::janusSeat(*m_service, QStringLiteral("13800000002"),
                                                         QStringLiteral("tarnwick02"), QStringLiteral("0"), kRoom);
    QVERIFY(seat.isUsable());
    QVERIFY(JanusEngine::setUdpLoss(100));
    auto late = std::make_unique<sdk::JanusMediaTransport>(seat, QStringLiteral("s10002"));
    mediapath::Receiver pictures(late.get());
    QVERIFY(QTest::qWaitFor([&] { return late->isInRoom() && late->receiving() > 0; }, 10000));
    QTest::qWait(kCutMs);
    const int duringCut = pictures.pictures();
    QVERIFY(JanusEngine::setUdpLoss(0));
    QVERIFY2(QTest::qWaitFor([&] { return pictures.pictures() >= 10; }, kFirstPictureMs),
             m_janus.log().right(2000).constData());
    QCOMPARE(duringCut, 0);
  }

  void cleanupTestCase() {
    m_sender.reset();
    m_receiver.reset();
    m_teacher.reset();
    m_student.reset();
    if (m_service)
      m_service->stop();
  }
};

QTEST_GUILESS_MAIN(TestJanusMedia)
#include "test_janusmedia.moc"

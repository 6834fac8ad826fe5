// Publishing, asking for streams and the delivery of media frames.
#include "hubfixture.h"

#include "protocol/protocol.h"

#include <QJsonArray>
#include <QtTest>

using hubproto::Source;

namespace {
QJsonObject requestBody(const QString &user, const QString &source) {
  return QJsonObject{{QStringLiteral("streams"),
                      QJsonArray{QJsonObject{{QStringLiteral("userId"), user},
                                             {QStringLiteral("source"), source}}}}};
}
hubproto::MediaFrame decoded(const QByteArray &bytes) {
  hubproto::MediaFrame f;
  QString why;
  if (!hubproto::decodeFrame(bytes, &f, &why))
    qWarning() << why;
  return f;
}
} // namespace

class TestHubStreams : public QObject {
  Q_OBJECT
private:
  Hub *hub = nullptr;
  TestParticipant *teacher = nullptr;
  TestParticipant *student = nullptr;
  TestParticipant *elsewhere = nullptr;

private slots:
  void init() {
    hub = new Hub(kTestSecret);
    teacher = new TestParticipant(*hub);
    student = new TestParticipant(*hub);
    elsewhere = new TestParticipant(*hub);
    teacher->login(QStringLiteral("老师"));
    teacher->join(5, QStringLiteral("LiveMaster"));
    student->login(QStringLiteral("s"));
    student->join(5);
    elsewhere->login(QStringLiteral("e"));
    elsewhere->join(6, QStringLiteral("LiveMaster"));
    student->take(QStringLiteral("member"));
  }
  void cleanup() {
    delete elsewhere;
    delete student;
    delete teacher;
    delete hub;
  }

  void listenersMayNotPublish() {
    QVERIFY(student->publish(QStringLiteral("camera")).isEmpty());
    QCOMPARE(student->code(student->request(QStringLiteral("publish"),
                                            QJsonObject{{QStringLiteral("source"), QStringLiteral("camera")}})),
             int(hubproto::NotAllowed));
    QCOMPARE(student->code(student->request(QStringLiteral("publish"),
                                            QJsonObject{{QStringLiteral("source"), QStringLiteral("audio")}})),
             int(hubproto::BadArgument));
  }

  void cameraFramesReachTheRoomStampedWithTheOwner() {
    const QString channel = teacher->publish(QStringLiteral("camera"), true);
    QVERIFY(!channel.isEmpty());
    const QList<QJsonObject> on = student->take(QStringLiteral("stream"));
    QCOMPARE(on.size(), 2);
    QCOMPARE(on[0].value(QStringLiteral("source")).toString(), QStringLiteral("camera"));
    QCOMPARE(on[1].value(QStringLiteral("source")).toString(), QStringLiteral("audio"));
    QCOMPARE(on[0].value(QStringLiteral("state")).toString(), QStringLiteral("on"));
    hubproto::MediaFrame f = testVideoFrame(32, 24, Source::Camera);
    f.userId = "someone else";
    teacher->frame(hubproto::encodeFrame(f));
    QCOMPARE(student->peer.frames.size(), 1);
    const hubproto::MediaFrame got = decoded(student->peer.frames[0]);
    QCOMPARE(QString::fromUtf8(got.userId), QStringLiteral("老师"));
    QCOMPARE(got.width, quint16(32));
    QCOMPARE(got.payload, f.payload);
    QVERIFY(elsewhere->peer.frames.isEmpty());
    QVERIFY(teacher->peer.frames.isEmpty());
    // The same channel is handed out again for the same source.
    QCOMPARE(teacher->publish(QStringLiteral("camera")), channel);
  }

  void screenFramesOnlyForThoseWhoAsked() {
    TestParticipant other(*hub);
    other.login(QStringLiteral("o"));
    other.join(5);
    QCOMPARE(student->code(student->request(QStringLiteral("request"), requestBody(QStringLiteral("老师"), QStringLiteral("screen")))),
             int(hubproto::StreamNotFound));
    QVERIFY(!teacher->publish(QStringLiteral("screen")).isEmpty());
    QCOMPARE(student->code(student->request(QStringLiteral("request"), requestBody(QStringLiteral("老师"), QStringLiteral("screen")))), 0);
    QCOMPARE(student->code(student->request(QStringLiteral("request"), requestBody(QStringLiteral("e"), QStringLiteral("camera")))),
             int(hubproto::NotInRoom));
    teacher->frame(hubproto::encodeFrame(testVideoFrame(16, 16, Source::Screen)));
    QCOMPARE(student->peer.frames.size(), 1);
    QCOMPARE(decoded(student->peer.frames[0]).source, Source::Screen);
    QVERIFY(other.peer.frames.isEmpty());
  }

  void framesOfUnpublishedStreamsAreRefused() {
    teacher->frame(hubproto::encodeFrame(testVideoFrame(16, 16, Source::Camera)));
    QCOMPARE(teacher->take(QStringLiteral("error")).value(0).value(QStringLiteral("code")).toInt(),
             int(hubproto::BadFrame));
    QVERIFY(!teacher->publish(QStringLiteral("camera")).isEmpty());
    teacher->frame(hubproto::encodeFrame(testVideoFrame(16, 16, Source::Media)));
    teacher->frame(QByteArray("TWMF\x01garbage"));
    QVERIFY(student->peer.frames.isEmpty());
    // Refusals are limited to one a second, so a stream of bad frames cannot flood back.
    QCOMPARE(teacher->take(QStringLiteral("error")).size(), 0);
  }

  void leavingTheStageEndsTheStreams() {
    QVERIFY(!teacher->publish(QStringLiteral("camera"), true).isEmpty());
    student->take(QStringLiteral("stream"));
    QCOMPARE(teacher->code(teacher->request(QStringLiteral("role"),
                                            QJsonObject{{QStringLiteral("role"), QStringLiteral("Guest")}})), 0);
    const QList<QJsonObject> off = student->take(QStringLiteral("stream"));
    QCOMPARE(off.size(), 2);
    for (const QJsonObject &o : off)
      QCOMPARE(o.value(QStringLiteral("state")).toString(), QStringLiteral("off"));
    teacher->frame(hubproto::encodeFrame(testVideoFrame(16, 16, Source::Camera)));
    QVERIFY(student->peer.frames.isEmpty());
  }

  void unpublishByChannel() {
    const QString channel = teacher->publish(QStringLiteral("camera"));
    student->take(QStringLiteral("stream"));
    QCOMPARE(teacher->code(teacher->request(QStringLiteral("unpublish"),
                                            QJsonObject{{QStringLiteral("channelId"), QStringLiteral("999")}})),
             int(hubproto::StreamNotFound));
    QCOMPARE(teacher->code(teacher->request(QStringLiteral("unpublish"),
                                            QJsonObject{{QStringLiteral("channelId"), channel}})), 0);
    const QList<QJsonObject> off = student->take(QStringLiteral("stream"));
    QCOMPARE(off.size(), 1);
    QCOMPARE(off[0].value(QStringLiteral("state")).toString(), QStringLiteral("off"));
  }

  void slowMediaReaderLosesFramesNotTheConnection() {
    HubLimits limits;
    limits.maxQueuedMediaBytes = 3000;
    hub->setLimits(limits);
    TestParticipant fast(*hub);
    fast.login(QStringLiteral("f"));
    fast.join(5);
    student->peer.slow = true;
    QVERIFY(!teacher->publish(QStringLiteral("camera")).isEmpty());
    const QByteArray frame = hubproto::encodeFrame(testVideoFrame(32, 32, Source::Camera)); // 1560 bytes
    for (int i = 0; i < 10; ++i)
      teacher->frame(frame);
    QCOMPARE(fast.peer.frames.size(), 10);
    QCOMPARE(student->peer.frames.size(), 1);
    QVERIFY(!student->peer.closed);
    student->peer.slow = false;
    student->peer.queued = 0;
    const QJsonObject pong = student->request(QStringLiteral("ping"));
    QCOMPARE(pong.value(QStringLiteral("sentFrames")).toInt(), 1);
    QCOMPARE(pong.value(QStringLiteral("droppedFrames")).toInt(), 9);
  }
};

QTEST_GUILESS_MAIN(TestHubStreams)
#include "test_hubstreams.moc"

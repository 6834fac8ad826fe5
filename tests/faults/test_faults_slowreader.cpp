// A student whose link takes less than the teacher's camera sends: the real hub of the local
// service sheds the student's video frames and keeps every chat message and class command,
// in order, and the student stays connected.

#include "faultclass.h"

#include "messaging/classcommand.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QTest>
#include <QTimer>

using namespace faults;

namespace {

constexpr qint64 kLinkBytesPerSecond = 1500 * 1000; // a fifth of a 640 x 480 camera at 15 fps
constexpr int kFrameIntervalMs = 66;
constexpr int kCommandEvery = 3; // frames
constexpr int kFrames = 90;       // six seconds of camera

} // namespace

class TestFaultsSlowReader : public QObject {
  Q_OBJECT

private slots:
  void slowReaderLosesFramesNotCommands() {
    FaultService world;
    QVERIFY2(world.start(), qPrintable(world.service().errorString()));
    HubLink teacher;
    QVERIFY(teacher.enterAsTeacher(world.directUrl(), world.directHubUrl()));
    QCOMPARE(teacher.publishCamera(), 0);

    // The student through the slowed relay, with the credentials the classroom would get.
    world.hub().setDownstreamRate(kLinkBytesPerSecond);
    HubLink student;
    const QString relay = QStringLiteral("ws://127.0.0.1:%1").arg(world.hub().port());
    QVERIFY(student.enterAsStudent(world.service(), kStudentPhone, kStudentPassword, relay));
    QStringList params;
    int frames = 0;
    connect(student.client.get(), &sdk::HubClient::imMessage, this, [&](const hubproto::ImMessage &m) {
      ClassCommand c;
      for (const hubproto::Element &e : m.elems)
        if (ClassCommand::parse(e.data, &c)) params << QString::number(c.userAction) + ':' + c.actionParam;
    });
    connect(student.client.get(), &sdk::HubClient::mediaFrame, this, [&](const hubproto::MediaFrame &) { ++frames; });
    bool lost = false;
    connect(student.client.get(), &sdk::HubClient::connectionLost, this, [&] { lost = true; });

    // The teacher's camera, with a class command or a chat line between every few frames.
    QStringList sent;
    for (int i = 0; i < kFrames; ++i) {
      teacher.sendCameraFrame(quint32(i));
      if (i % kCommandEvery == 0) {
        const bool chat = i % (2 * kCommandEvery) == 0;
        const ClassCommandCode code = chat ? ClassCommandCode::Chat : ClassCommandCode::Display;
        const QString param = chat ? QStringLiteral("第%1句").arg(i) : QStringLiteral("Screen");
        QCOMPARE(teacher.command(code, param), 0);
        sent << QString::number(int(code)) + ':' + param;
      }
      QTest::qWait(kFrameIntervalMs);
    }
    const int framesSent = kFrames - int(teacher.client->droppedVideoFrames());
    QTRY_COMPARE_WITH_TIMEOUT(params, sent, 30000);
    qInfo("%d of %d frames reached the slow student", frames, framesSent);
    QVERIFY(!lost);
    QVERIFY(student.client->isOpen());
    QVERIFY2(frames > 0 && frames < framesSent,
             qPrintable(QStringLiteral("%1 of %2 frames").arg(frames).arg(framesSent)));
    // The hub counted what it shed for the student.
    const QJsonObject ping = student.ping();
    qInfo("the hub dropped %d frames for it", ping.value(QStringLiteral("droppedFrames")).toInt());
    QVERIFY2(ping.value(QStringLiteral("droppedFrames")).toInt() > 0, QJsonDocument(ping).toJson().constData());
    student.close();
    teacher.close();
  }
};

QTEST_GUILESS_MAIN(TestFaultsSlowReader)
#include "test_faults_slowreader.moc"

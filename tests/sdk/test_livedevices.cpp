// Microphone and speaker through the live SDK (needs the test session's PulseAudio with its
// null source and sink): lists, open and close with their device-operation codes, volumes, and
// the microphone's voice reaching a teacher while on stage.
#include "sdkfixture.h"

#include "support/inprocesstransport.h"
#include "sdk/live/devicecatalog.h"
#include "sdk/live/ilive.h"
#include "sdk/live/speakeroutput.h"
#include "service/hub/hub.h"

#include <QtTest>

using namespace ilive;

class TestLiveDevices : public QObject {
  Q_OBJECT
private:
  Recorder rec;

  bool call(std::function<void()> fn) {
    rec.reset();
    fn();
    return rec.wait();
  }

  static QByteArray firstSpeaker() {
    Vector<Pair<String, String>> speakers;
    GetILive()->getSpeakerList(speakers);
    return speakers.empty() ? QByteArray() : QByteArray(speakers[0].first.c_str());
  }

  // Opens the speaker and lets it play a while (it plays silence whenever nobody speaks).
  bool openPlayingSpeaker(const QByteArray &id) {
    rec.deviceOps.clear();
    if (GetILive()->openSpeaker(id.constData()) != 0)
      return false;
    if (!QTest::qWaitFor([this] { return !rec.deviceOps.isEmpty(); }, 5000))
      return false;
    QTest::qWait(300);
    return rec.deviceOps.first() == qMakePair(int(DEVICE_OP_OPEN_SPEAKER), 0);
  }

private slots:
  void initTestCase() {
    QCOMPARE(GetILive()->init(1, 2, true), 0);
    GetILive()->setDeviceOperationCallback(Recorder::deviceOp, &rec);
  }
  void cleanupTestCase() { GetILive()->release(nullptr, nullptr, nullptr); }

  void microphoneAndSpeakerReportTheirCodes() {
    Vector<Pair<String, String>> mics, speakers;
    QCOMPARE(GetILive()->getMicList(mics), 0);
    QCOMPARE(GetILive()->getSpeakerList(speakers), 0);
    if (mics.empty() || speakers.empty())
      QSKIP("no audio devices: run under scripts/test.sh (PulseAudio null source and sink)");
    QCOMPARE(GetILive()->openMic("no such microphone"), int(ERR_NO_DEVICE));
    QCOMPARE(GetILive()->openMic(mics[0].first.c_str()), 0);
    QTRY_VERIFY(rec.deviceOps.contains(qMakePair(int(DEVICE_OP_OPEN_MIC), 0)));
    QCOMPARE(GetILive()->openSpeaker(speakers[0].first.c_str()), 0);
    QTRY_VERIFY(rec.deviceOps.contains(qMakePair(int(DEVICE_OP_OPEN_SPEAKER), 0)));
    QCOMPARE(GetILive()->setMicVolume(35), 0);
    QCOMPARE(GetILive()->getMicVolume(), 35u);
    QCOMPARE(GetILive()->setSpeakerVolume(250), 0);
    QCOMPARE(GetILive()->getSpeakerVolume(), 100u);
    QCOMPARE(GetILive()->closeMic(), 0);
    QCOMPARE(GetILive()->closeSpeaker(), 0);
    QTRY_VERIFY(rec.deviceOps.contains(qMakePair(int(DEVICE_OP_CLOSE_MIC), 0)));
    QTRY_VERIFY(rec.deviceOps.contains(qMakePair(int(DEVICE_OP_CLOSE_SPEAKER), 0)));
    QVERIFY(rec.callbacksOnGui);
  }

  // Stopping must neither run other jobs of the thread inside it nor leave the output half open.
  void speakerStopsWithoutRunningOtherJobs() {
    const QAudioDeviceInfo device = ilivesdk::audioDevice(QAudio::AudioOutput, QString::fromUtf8(firstSpeaker()));
    if (device.isNull())
      QSKIP("no speaker: run under scripts/test.sh");
    ilivesdk::SpeakerOutput speaker;
    QVERIFY(speaker.start(device, 80));
    QTest::qWait(300);
    bool ran = false;
    QMetaObject::invokeMethod(this, [&ran] { ran = true; }, Qt::QueuedConnection);
    speaker.stop();
    QVERIFY(!ran);
    QVERIFY(!speaker.isRunning());
    QVERIFY(speaker.start(device, 80));
    QVERIFY(speaker.isRunning());
    QTRY_VERIFY(ran);
    QTest::qWait(300);
    speaker.stop();
    QVERIFY(speaker.start(device, 80));
    QVERIFY(speaker.isRunning());
  }

  // A late close must not undo the open that followed it.
  void speakerReportsComeInTheOrderOfTheCalls() {
    const QByteArray id = firstSpeaker();
    if (id.isEmpty())
      QSKIP("no speaker: run under scripts/test.sh");
    QVERIFY(openPlayingSpeaker(id));
    QCOMPARE(GetILive()->closeSpeaker(), 0);
    QTest::qWait(500);
    QCOMPARE(GetILive()->openSpeaker(id.constData()), 0);
    QTRY_VERIFY_WITH_TIMEOUT(rec.deviceOps.size() >= 3, 5000);
    QTest::qWait(200); // nothing further may come
    const QList<QPair<int, int>> expected{
        {DEVICE_OP_OPEN_SPEAKER, 0}, {DEVICE_OP_CLOSE_SPEAKER, 0}, {DEVICE_OP_OPEN_SPEAKER, 0}};
    QCOMPARE(rec.deviceOps, expected);
    QCOMPARE(GetILive()->closeSpeaker(), 0);
    QTRY_COMPARE(rec.deviceOps.size(), 4);
  }

  void releaseRightAfterClosingThePlayingSpeaker() {
    const QByteArray id = firstSpeaker();
    if (id.isEmpty())
      QSKIP("no speaker: run under scripts/test.sh");
    QVERIFY(openPlayingSpeaker(id));
    QCOMPARE(GetILive()->closeSpeaker(), 0);
    QTest::qWait(300); // the close has begun on the media thread
    GetILive()->release(nullptr, nullptr, nullptr);
    QTRY_COMPARE(rec.deviceOps.size(), 2);
    QCOMPARE(rec.deviceOps.last(), qMakePair(int(DEVICE_OP_CLOSE_SPEAKER), 0));
    QCOMPARE(GetILive()->closeSpeaker(), int(ERR_NOT_INITIALISED));
    // Ready again after a new init, with the same speaker.
    QCOMPARE(GetILive()->init(1, 2, true), 0);
    QVERIFY(openPlayingSpeaker(id));
    QCOMPARE(GetILive()->closeSpeaker(), 0);
    QTRY_COMPARE(rec.deviceOps.size(), 2);
  }

  void voiceReachesTheTeacherWhileOnStage() {
    Vector<Pair<String, String>> mics;
    GetILive()->getMicList(mics);
    if (mics.empty())
      QSKIP("no microphone: run under scripts/test.sh");
    Hub hub(kSdkTestSecret);
    sdk::useInProcessHub(&hub);
    Teacher teacher(std::make_unique<sdk::InProcessTransport>(&hub));
    QCOMPARE(teacher.login(QStringLiteral("t")), 0);
    QCOMPARE(teacher.join(9), 0);
    const QByteArray sig = testSig(QStringLiteral("s")).toUtf8();
    QVERIFY(call([&] { GetILive()->login("s", sig.constData(), Recorder::succ, Recorder::err, &rec); }));
    RoomOption option;
    option.roomId = 9;
    option.controlRole = "LiveGuest";
    setGrant(option, QStringLiteral("s"), QStringLiteral("LiveGuest"));
    QVERIFY(call([&] { GetILive()->joinRoom(option, Recorder::succ, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    QCOMPARE(GetILive()->openMic(mics[0].first.c_str()), 0);
    QVERIFY(call([&] { GetILive()->startPushStream(PushStreamOption(), Recorder::pushSucc, Recorder::err, &rec); }));
    QVERIFY(rec.answer.ok);
    QTRY_VERIFY_WITH_TIMEOUT(!teacher.frames.isEmpty(), 8000);
    const hubproto::MediaFrame f = teacher.frames.last();
    QCOMPARE(f.kind, hubproto::MediaFrame::Audio);
    QCOMPARE(f.format, hubproto::MediaFrame::Opus);
    QCOMPARE(f.sampleRate, 48000u);
    QVERIFY(!f.payload.isEmpty() && f.payload.size() <= hubproto::kMaxOpusPacket);
    GetILive()->closeMic();
    QVERIFY(call([&] { GetILive()->logout(Recorder::succ, Recorder::err, &rec); }));
    sdk::setHubTransportFactory({});
  }
};

QTEST_GUILESS_MAIN(TestLiveDevices)
#include "test_livedevices.moc"

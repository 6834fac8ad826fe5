// The classroom's microphone and speaker on real audio devices (the test session's PulseAudio
// null source and sink): re-opens 500 ms after a settings change, two changes on one firing,
// and the class sounds and in-class tests through the shell's audio helper.
#include "test_classdevices_host.h"

#include "av/audiohelper.h"
#include "classroom_widgets/qtlivetoolbar.h"
#include "widgets/qtmessagebox.h"

#include <QAudioOutput>
#include <QAudioInput>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>

namespace {

using Op = QPair<int, int>;
Op ok(int code) { return qMakePair(code, 0); }

int listSize(int (ilive::iLive::*list)(ilive::Vector<ilive::Pair<ilive::String, ilive::String>> &)) {
  ilive::Vector<ilive::Pair<ilive::String, ilive::String>> devices;
  return (GetILive()->*list)(devices) == 0 ? int(devices.size()) : 0;
}

// A re-open must not run before its delay; coarse timers may fire up to 5 % early.
const qint64 kEarliestReopenMs = 470;

} // namespace

class TestClassDevicesAudio : public QObject {
  Q_OBJECT

  std::unique_ptr<DeviceClass> cls;
  std::unique_ptr<AudioHelper> helper;
  FakeHost &host() { return cls->host; }
  ClassDevices &devices() { return *cls->devices; }
  QtLiveToolBar &toolBar() { return *cls->toolBar; }
  QList<Op> &ops() { return cls->deviceOps; }

  // Waits until code (result 0) has been reported since the mark; its position, or -1.
  int waitOp(int code, int mark) {
    int at = -1;
    const bool seen = QTest::qWaitFor([&] {
      at = ops().indexOf(ok(code), mark);
      return at >= 0;
    }, 5000);
    return seen ? at : -1;
  }

  QString dumpOps() {
    QStringList l;
    for (const Op &o : ops()) l << QStringLiteral("%1/%2").arg(o.first).arg(o.second);
    return l.join(QLatin1Char(' '));
  }

private slots:
  void initTestCase() {
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    cls = std::make_unique<DeviceClass>();
    QString why;
    QVERIFY2(cls->start(&why), qPrintable(why));
    if (listSize(&ilive::iLive::getMicList) == 0 || listSize(&ilive::iLive::getSpeakerList) == 0)
      QSKIP("no audio devices: run under scripts/test.sh (PulseAudio null source and sink)");
    helper = std::make_unique<AudioHelper>();
    QVERIFY(!helper->outputDevices().isEmpty());
  }

  void cleanupTestCase() {
    helper.reset();
    cls.reset();
  }

  void init() {
    host().status = ClassDevices::kStatusListening;
    host().settings = {{QStringLiteral("mic"), 0}, {QStringLiteral("speaker"), 0}};
    host().helper = helper.get();
    // The microphone open, the speaker closed: stopping a speaker that plays holds the SDK's
    // media thread for up to seconds, and a re-open queued meanwhile is lost there.
    ops().clear();
    QVERIFY(devices().openMicWithSettings());
    GetILive()->closeSpeaker();
    QVERIFY(waitOp(ilive::DEVICE_OP_OPEN_MIC, 0) >= 0);
    QVERIFY(waitOp(ilive::DEVICE_OP_CLOSE_SPEAKER, 0) >= 0);
    QVERIFY(toolBar().isMicOn() && !toolBar().isSpeakerOn());
    ops().clear();
  }

  void cleanup() {
    cls->delayTimer.stop();
    devices().runPendingOperations();
    helper->stopMicTest();
    helper->stopSpeakerTest();
    DeviceClass::closeTips();
  }

  void speakerChangeWhileListeningReopensLater() {
    QElapsedTimer clock;
    clock.start();
    devices().setSpeaker(0, 45);
    QVERIFY(waitOp(ilive::DEVICE_OP_CLOSE_SPEAKER, 0) >= 0);
    QVERIFY(waitOp(ilive::DEVICE_OP_OPEN_SPEAKER, 0) >= 0);
    QVERIFY(clock.elapsed() >= kEarliestReopenMs);
    QVERIFY2(toolBar().isSpeakerOn(), qPrintable(dumpOps()));
    QCOMPARE(int(GetILive()->getSpeakerVolume()), 45);
    QVERIFY(!ops().contains(ok(ilive::DEVICE_OP_CLOSE_MIC))); // the microphone is left alone
  }

  void speakerChoiceGoneByTheReopenGivesTheTip() {
    devices().setSpeaker(0, 50);
    host().settings[QStringLiteral("speaker")] = listSize(&ilive::iLive::getSpeakerList);
    const QString tip = QStringLiteral("扬声器设置不正确，请在设置中选择正确的扬声器");
    QTRY_COMPARE(DeviceClass::tips(tip).size(), 1);
    QTest::qWait(200);
    QVERIFY(!ops().contains(ok(ilive::DEVICE_OP_OPEN_SPEAKER)));
    QVERIFY(waitOp(ilive::DEVICE_OP_CLOSE_SPEAKER, 0) >= 0);
    QVERIFY(!toolBar().isSpeakerOn()); // stays as the close left it
  }

  void micChangeOnStageClosesTellsTheTeacherAndReopens() {
    host().status = ClassDevices::kStatusOnStage;
    const int told = cls->teacherCount(true, ClassCommandCode::MicClosed, QStringLiteral("0"));
    QElapsedTimer clock;
    clock.start();
    devices().setMic(0, 52);
    QVERIFY(waitOp(ilive::DEVICE_OP_CLOSE_MIC, 0) >= 0);
    QVERIFY(!toolBar().isMicOn());
    QTRY_COMPARE(cls->teacherCount(true, ClassCommandCode::MicClosed, QStringLiteral("0")), told + 1);
    QVERIFY(waitOp(ilive::DEVICE_OP_OPEN_MIC, 0) >= 0);
    QVERIFY(clock.elapsed() >= kEarliestReopenMs);
    QVERIFY(toolBar().isMicOn());
    QCOMPARE(int(GetILive()->getMicVolume()), 52);
  }

  void twoChangesWithinTheDelayRunInOrderOnOneFiring() {
    host().status = ClassDevices::kStatusOnStage;
    QSignalSpy firings(&cls->delayTimer, &QTimer::timeout);
    devices().setSpeaker(0, 40);
    QTest::qWait(200);
    devices().setMic(0, 60);
    QCOMPARE(devices().pendingOperations(), (QStringList{QStringLiteral("openSpeaker"), QStringLiteral("openMic")}));
    const int speakerOpen = waitOp(ilive::DEVICE_OP_OPEN_SPEAKER, 0);
    const int micOpen = waitOp(ilive::DEVICE_OP_OPEN_MIC, 0);
    QVERIFY(speakerOpen >= 0 && micOpen >= 0);
    QVERIFY(speakerOpen < micOpen);
    QVERIFY(ops().indexOf(ok(ilive::DEVICE_OP_CLOSE_SPEAKER)) < speakerOpen); // both closed first
    QVERIFY(ops().indexOf(ok(ilive::DEVICE_OP_CLOSE_MIC)) < speakerOpen);
    QCOMPARE(firings.count(), 1);
    QVERIFY(toolBar().isMicOn() && toolBar().isSpeakerOn());
  }

  void classSoundPlaysOnTheChosenSpeakerAtTheChosenVolume() {
    host().settings[QStringLiteral("speaker_vol")] = 37;
    devices().playClassSound(QStringLiteral("coin.wav"));
    QAudioOutput *out = helper->currentOutput();
    QVERIFY(out);
    QCOMPARE(qRound(out->volume() * 100), 37);
    QCOMPARE(helper->currentFormat(), AudioHelper::speakerTestFormat());
    QTRY_VERIFY(out->processedUSecs() > 0);
    QCOMPARE(out->error(), QAudio::NoError);

    // A speaker that is not in the list plays nothing, and so does a name that is no resource.
    helper->stopSpeakerTest();
    host().settings[QStringLiteral("speaker")] = helper->outputDevices().size();
    devices().playClassSound(QStringLiteral("coin.wav"));
    QVERIFY(!helper->currentOutput());
    host().settings[QStringLiteral("speaker")] = 0;
    devices().playClassSound(QStringLiteral("no-such-sound.wav"));
    QVERIFY(!helper->currentOutput());
  }

  void inClassTestsRunOnTheShellHelper() {
    devices().micTest(-1, 0, 30, 70);
    QVERIFY(!helper->currentInput());
    devices().micTest(0, 0, 30, 70);
    QVERIFY(helper->currentInput());
    QCOMPARE(qRound(helper->currentInput()->volume() * 100), 30);
    QCOMPARE(qRound(helper->currentOutput()->volume() * 100), 70);
    devices().stopMicTest();
    QVERIFY(!helper->currentInput());

    devices().speakerTest(0, 80);
    QVERIFY(helper->currentOutput());
    QCOMPARE(qRound(helper->currentOutput()->volume() * 100), 80);
    QTRY_VERIFY(helper->currentOutput()->processedUSecs() > 0); // the test tune was found
    devices().stopSpeakerTest();
    QVERIFY(!helper->currentOutput());
  }
};

QTEST_MAIN(TestClassDevicesAudio)
#include "test_classdevices_audio.moc"

// The classroom's devices against the live SDK on an in-process hub, with a teacher on the hub:
// tips for choices outside the device lists, the toolbar driven by device reports, the quality
// rule, the delayed queue, the microphone close told to the teacher, and the camera (the SDK's
// test-pattern camera, so no real devices are needed here).
#include "test_classdevices_host.h"

#include "classroom_widgets/qtbubble.h"
#include "classroom_widgets/qtlivetoolbar.h"
#include "classroom_widgets/qtsuperbutton.h"
#include "widgets/qtmessagebox.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString kMicTip = QStringLiteral("麦克风设置不正确，请在设置中选择正确的麦克风");
const QString kSpeakerTip = QStringLiteral("扬声器设置不正确，请在设置中选择正确的扬声器");
const QString kCameraTip = QStringLiteral("摄像头设置不正确，请在设置中选择正确的摄像头后，再重新开启摄像头。");
// The tip guard keeps a text quiet for 2 s after it was last asked for.
const int kTipGuardMs = 2100;

int cameraCount() {
  ilive::Vector<ilive::Pair<ilive::String, ilive::String>> cameras;
  GetILive()->getCameraList(cameras);
  return int(cameras.size());
}

} // namespace

class TestClassDevices : public QObject {
  Q_OBJECT

  std::unique_ptr<DeviceClass> cls;
  FakeHost &host() { return cls->host; }
  ClassDevices &devices() { return *cls->devices; }
  QtLiveToolBar &toolBar() { return *cls->toolBar; }
  QtSuperButton &stage() { return *cls->toolBar->superButton(); }

  bool sawOp(int code, int from = 0) const {
    for (int i = from; i < cls->deviceOps.size(); ++i)
      if (cls->deviceOps.at(i) == qMakePair(code, 0)) return true;
    return false;
  }
  // The test-pattern camera: always last in the SDK's list.
  void chooseTestPatternCamera() { host().settings[QStringLiteral("camera_index")] = cameraCount() - 1; }

  // Opens the test-pattern camera and marks it published, as going on stage does.
  bool publishCamera() {
    chooseTestPatternCamera();
    if (!devices().openCamera()) return false;
    host().up = true;
    return QTest::qWaitFor([&] { return sawOp(ilive::DEVICE_OP_OPEN_CAMERA); }, 5000);
  }

  void checkTip(const QString &text) {
    const QList<QtMessageBox *> boxes = DeviceClass::tips(text);
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first()->title(), QStringLiteral("在线课堂"));
    QCOMPARE(boxes.first()->parentWidget(), host().tipParent());
  }

private slots:
  void initTestCase() {
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    cls = std::make_unique<DeviceClass>();
    QString why;
    QVERIFY2(cls->start(&why), qPrintable(why));
  }

  void cleanupTestCase() { cls.reset(); }

  void init() {
    host().status = ClassDevices::kStatusListening;
    host().up = false;
    host().reapplied = 0;
    host().settings.clear();
    host().systemMessages.clear();
    host().network.clear();
    host().ownTileRemovals = 0;
    cls->deviceOps.clear();
  }

  void cleanup() {
    cls->delayTimer.stop();
    devices().runPendingOperations();
    GetILive()->closeCamera();
    DeviceClass::closeTips();
  }

  void choicesOutsideTheListsGiveTheDeviceTips() {
    host().settings[QStringLiteral("mic")] = -1;
    host().settings[QStringLiteral("speaker")] = -1;
    host().settings[QStringLiteral("camera_index")] = cameraCount(); // one past the last
    QVERIFY(!devices().openMicWithSettings());
    devices().openSpeakerWithSettings();
    QVERIFY(!devices().openCamera());
    checkTip(kMicTip);
    checkTip(kSpeakerTip);
    checkTip(kCameraTip);
    QTest::qWait(200);
    QVERIFY(cls->deviceOps.isEmpty());
  }

  void deviceReports_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("micOn");
    QTest::addColumn<bool>("speakerOn");
    QTest::addColumn<int>("micVolume");
    QTest::addColumn<int>("speakerVolume");
    QTest::addColumn<int>("reapplied");
    // Before each row: microphone on, speaker off, SDK volumes 1 / 2, sliders 42 / 58.
    QTest::newRow("5 mic opened") << 5 << 0 << true << false << 42 << 2 << 1;
    QTest::newRow("6 mic closed") << 6 << 0 << false << false << 1 << 2 << 1;
    QTest::newRow("7 speaker opened") << 7 << 0 << true << true << 1 << 58 << 1;
    QTest::newRow("8 speaker closed") << 8 << 0 << true << false << 1 << 2 << 1;
    QTest::newRow("6 failed") << 6 << int(ilive::ERR_DEVICE_FAILED) << true << false << 1 << 2 << 0;
    QTest::newRow("7 failed") << 7 << 1 << true << false << 1 << 2 << 0;
    QTest::newRow("1 camera opened") << 1 << 0 << true << false << 1 << 2 << 0;
    QTest::newRow("9 unknown") << 9 << 0 << true << false << 1 << 2 << 0;
  }

  void deviceReports() {
    QFETCH(int, code);
    QFETCH(int, result);
    toolBar().setMicOn();
    toolBar().setSpeakerOff();
    toolBar().setMicVolume(42);
    toolBar().setSpeakerVolume(58);
    GetILive()->setMicVolume(1);
    GetILive()->setSpeakerVolume(2);
    devices().onDeviceOperation(code, result);
    QTEST(toolBar().isMicOn(), "micOn");
    QTEST(toolBar().isSpeakerOn(), "speakerOn");
    QTEST(int(GetILive()->getMicVolume()), "micVolume");
    QTEST(int(GetILive()->getSpeakerVolume()), "speakerVolume");
    QTEST(host().reapplied, "reapplied");
  }

  void qualityRuleAndLogLine() {
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=true"));
    QTest::ignoreMessage(QtDebugMsg, "lossRateSend:1000, lossRateRecv:1000");
    devices().onQuality(1000, 1000);
    QTest::ignoreMessage(QtDebugMsg, "lossRateSend:1001, lossRateRecv:0");
    devices().onQuality(1001, 0);
    QTest::ignoreMessage(QtDebugMsg, "lossRateSend:0, lossRateRecv:1001");
    devices().onQuality(0, 1001);
    QTest::ignoreMessage(QtDebugMsg, "lossRateSend:0, lossRateRecv:0");
    devices().onQuality(0, 0);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QCOMPARE(host().network, (QList<bool>{true, false, false, true}));
  }

  void initialVolumesComeFromReloadedSettings() {
    host().stored = {{QStringLiteral("mic_vol"), 37}, {QStringLiteral("speaker_vol"), 64}};
    const int reloads = host().reloads;
    devices().initVolumes();
    QCOMPARE(host().reloads, reloads + 1);
    QCOMPARE(toolBar().micVolume(), 37);
    QCOMPARE(toolBar().speakerVolume(), 64);
  }

  void newQueueRestartsTheTimerAndOneFiringRunsAllInOrder() {
    host().names = {{QStringLiteral("u1"), QStringLiteral("小红")}, {QStringLiteral("u2"), QStringLiteral("小刚")}};
    QSignalSpy firings(&cls->delayTimer, &QTimer::timeout);
    QElapsedTimer clock;
    clock.start();
    devices().queueOperation(QStringLiteral("EnterLive:u1"), 500);
    QTest::qWait(300);
    devices().queueOperation(QStringLiteral("enterlive:u2"), 500); // not ours: case matters
    devices().queueOperation(QStringLiteral("EnterLive:nobody"), 500);
    devices().queueOperation(QStringLiteral("somethingElse"), 500);
    devices().queueOperation(QStringLiteral("EnterLive:u2"), 500);
    QVERIFY(cls->delayTimer.remainingTime() > 300);
    QCOMPARE(devices().pendingOperations().size(), 5);
    QTRY_COMPARE(firings.count(), 1);
    QVERIFY(clock.elapsed() >= 750);
    QCOMPARE(host().systemMessages,
             (QStringList{QStringLiteral("欢迎 小红 进入教室"), QStringLiteral("欢迎 小刚 进入教室")}));
    QVERIFY(devices().pendingOperations().isEmpty());
    QVERIFY(!cls->delayTimer.isActive());
    QTest::qWait(600);
    QCOMPARE(firings.count(), 1);
  }

  void micChangeWhileListeningOnlySetsTheVolume() {
    devices().setMic(0, 33);
    QCOMPARE(int(GetILive()->getMicVolume()), 33);
    QCOMPARE(toolBar().micVolume(), 33);
    QVERIFY(devices().pendingOperations().isEmpty());
    // The close below reaches the teacher after anything setMic might have sent.
    const int before = cls->teacherCount(true, ClassCommandCode::MicClosed, QStringLiteral("0"));
    devices().closeMic();
    QTRY_COMPARE(cls->teacherCount(true, ClassCommandCode::MicClosed, QStringLiteral("0")), before + 1);
    QTest::qWait(100);
    QCOMPARE(cls->teacherCount(true, ClassCommandCode::MicClosed, QStringLiteral("0")), before + 1);
    QCOMPARE(cls->teacherCount(false, ClassCommandCode::MicClosed, QStringLiteral("0")), 0); // never to the class
  }

  void micChangeOnStageClosesAndReopensWithTheChoiceOfThen() {
    QTest::qWait(kTipGuardMs);
    host().status = ClassDevices::kStatusOnStage;
    host().settings[QStringLiteral("mic")] = 0;
    const int before = cls->teacherCount(true, ClassCommandCode::MicClosed, QStringLiteral("0"));
    devices().setMic(0, 48);
    QCOMPARE(toolBar().micVolume(), 48);
    QCOMPARE(devices().pendingOperations(), QStringList{QStringLiteral("openMic")});
    QTRY_COMPARE(cls->teacherCount(true, ClassCommandCode::MicClosed, QStringLiteral("0")), before + 1);
    // The choice is read when the re-open runs: a choice that is gone by then gives the tip.
    host().settings[QStringLiteral("mic")] = -1;
    QVERIFY(DeviceClass::tips(kMicTip).isEmpty());
    QTRY_COMPARE(DeviceClass::tips(kMicTip).size(), 1);
  }

  void reopenDroppedWhenTheStageEndedMeanwhile() {
    QTest::qWait(kTipGuardMs);
    host().status = ClassDevices::kStatusOnStage;
    host().settings[QStringLiteral("mic")] = -1;
    devices().reopenMic();
    host().status = ClassDevices::kStatusListening; // the teacher took the student off stage
    QTRY_VERIFY(devices().pendingOperations().isEmpty());
    QVERIFY(DeviceClass::tips(kMicTip).isEmpty());
  }

  void speakerChangeQueuesItsReopenInAnyState() {
    devices().setSpeaker(0, 61);
    QCOMPARE(int(GetILive()->getSpeakerVolume()), 61);
    QCOMPARE(toolBar().speakerVolume(), 61);
    QCOMPARE(devices().pendingOperations(), QStringList{QStringLiteral("openSpeaker")});
    QVERIFY(cls->delayTimer.isActive());
  }

  void cameraReopensOnlyWhilePublished() {
    devices().setCamera(0);
    QVERIFY(devices().pendingOperations().isEmpty());
    QVERIFY(publishCamera());
    const int mark = cls->deviceOps.size();
    devices().setCamera(0);
    QCOMPARE(devices().pendingOperations(), QStringList{QStringLiteral("openCamera")});
    QTRY_VERIFY(sawOp(ilive::DEVICE_OP_CLOSE_CAMERA, mark));
    QVERIFY(!sawOp(ilive::DEVICE_OP_OPEN_CAMERA, mark));
    QTRY_VERIFY(sawOp(ilive::DEVICE_OP_OPEN_CAMERA, mark));
    QVERIFY(host().up);
  }

  void disableCameraWhilePublished() {
    QVERIFY(publishCamera());
    stage().onStage();
    const int mark = cls->deviceOps.size();
    devices().setDisableCamera(true);
    QVERIFY(!host().up);
    QCOMPARE(host().ownTileRemovals, 1);
    QCOMPARE(stage().stageState(), int(QtSuperButton::OnMic));
    QCOMPARE(stage().bubble()->text(), QStringLiteral("摄像头已关闭"));
    QTRY_VERIFY(sawOp(ilive::DEVICE_OP_CLOSE_CAMERA, mark));
    QTRY_COMPARE(cls->teacherCount(false, ClassCommandCode::CameraClosed, DeviceClass::kStudent), 1);

    // Switching the setting back opens nothing; switching it on again with nothing up does nothing.
    const int after = cls->deviceOps.size();
    devices().setDisableCamera(false);
    devices().setDisableCamera(true);
    QVERIFY(devices().pendingOperations().isEmpty());
    QCOMPARE(host().ownTileRemovals, 1);
    QTest::qWait(300);
    QCOMPARE(cls->deviceOps.size(), after);
    QCOMPARE(cls->teacherCount(false, ClassCommandCode::CameraClosed, DeviceClass::kStudent), 1);
  }

  void disableCameraDuringAPauseEndsTheStageTurn() {
    QVERIFY(publishCamera());
    stage().onStage();
    stage().offMic(); // the teacher paused the student
    devices().setDisableCamera(true);
    QCOMPARE(stage().stageState(), int(QtSuperButton::OffStage));
    QCOMPARE(stage().bubble()->text(), QStringLiteral("已下台，本次发言结束"));
  }

  void cameraReopenDroppedOnceDisabled() {
    QVERIFY(publishCamera());
    devices().setCamera(0);
    devices().setDisableCamera(true);
    const int mark = cls->deviceOps.size();
    QTRY_VERIFY(devices().pendingOperations().isEmpty());
    QTest::qWait(300);
    QVERIFY(!sawOp(ilive::DEVICE_OP_OPEN_CAMERA, mark));
  }
};

QTEST_MAIN(TestClassDevices)
#include "test_classdevices.moc"

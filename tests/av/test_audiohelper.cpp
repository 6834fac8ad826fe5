#include "av/audiohelper.h"
#include "av/testsounds.h"

#include <QAudioInput>
#include <QAudioOutput>
#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The session's PulseAudio daemon has one null sink and one null source (both default).
namespace {

const QString kSink = QStringLiteral("tarnwick_sink");
const QString kSource = QStringLiteral("tarnwick_source");
const QString kMelody = QStringLiteral(":/res/Resources/mozart.wav");

// Streams this process has open on the sound server: "sink-inputs" (playing) or
// "source-outputs" (recording). Other tests share the server, so streams are told apart by
// the process that opened them.
int serverStreams(const char *kind) {
  QProcess pactl;
  pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QLatin1String(kind)});
  if (!pactl.waitForFinished(5000) || pactl.exitCode() != 0) return -1;
  const QByteArray mine =
      "application.process.id = \"" + QByteArray::number(QCoreApplication::applicationPid()) + '"';
  return pactl.readAllStandardOutput().count(mine);
}

int playing() { return serverStreams("sink-inputs"); }
int recording() { return serverStreams("source-outputs"); }

// ms of silence as 44.1 kHz mono 16-bit samples.
void writeSilence(const QString &path, int ms) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(44100 * 2 * ms / 1000, '\0'));
}

bool isRunning(QAudio::State s) { return s == QAudio::ActiveState || s == QAudio::IdleState; }

} // namespace

class TestAudioHelper : public QObject {
  Q_OBJECT
  std::unique_ptr<AudioHelper> helper;
  int sink = -1;
  int source = -1;

  bool outputConsumes() {
    return QTest::qWaitFor([&] {
      return helper->currentOutput() && helper->currentOutput()->processedUSecs() > 0;
    }, 3000);
  }

private slots:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
      QSKIP("needs the PulseAudio session of scripts/session.sh (PULSE_SERVER)");
    QCOMPARE(playing(), 0);
  }

  void init() {
    helper = std::make_unique<AudioHelper>();
    sink = helper->outputIndex(kSink);
    source = helper->inputIndex(kSource);
  }

  void cleanup() {
    // Whatever a test left running, the helper's end releases the devices.
    helper.reset();
    QTRY_COMPARE(playing(), 0);
    QTRY_COMPARE(recording(), 0);
  }

  void listsHoldTheSessionDevices() {
    QVERIFY2(sink >= 0, "null sink not among the outputs");
    QVERIFY2(source >= 0, "null source not among the inputs");
    QCOMPARE(helper->outputDevices().at(sink).deviceName(), kSink);
    QCOMPARE(helper->defaultOutputName(), kSink);
    QCOMPARE(helper->defaultInputName(), kSource);
    QCOMPARE(helper->inputIndex(kSink), -1); // outputs are not inputs
    QCOMPARE(helper->outputIndex(QStringLiteral("no such device")), -1);
    QCOMPARE(helper->cameraIndex(QStringLiteral("no such camera")), -1);
  }

  void speakerTestPlaysTheFileUntilStopped() {
    helper->speakerTest(sink, kMelody, 60);
    QAudioOutput *out = helper->currentOutput();
    QVERIFY(out);
    QCOMPARE(helper->currentFormat().sampleRate(), 44100);
    QCOMPARE(out->format(), AudioHelper::speakerTestFormat());
    QCOMPARE(out->volume(), 0.6);
    QTRY_COMPARE(out->state(), QAudio::ActiveState);
    QVERIFY(outputConsumes());
    QTRY_COMPARE(playing(), 1);

    helper->setSpeakerTestVolume(-7, 25);
    QCOMPARE(out->volume(), 0.25);

    helper->stopSpeakerTest();
    QVERIFY(!helper->currentOutput());
    QTRY_COMPARE(playing(), 0);
  }

  void micTestStartsTheOutputLaterWithoutBlocking() {
    bool loopRan = false;
    QTimer::singleShot(50, this, [&] { loopRan = true; });
    helper->micTest(source, sink, 30, 70);
    QAudioInput *in = helper->currentInput();
    QAudioOutput *out = helper->currentOutput();
    QVERIFY(in && out);
    QCOMPARE(in->format(), AudioHelper::micTestFormat());
    QCOMPARE(out->format(), AudioHelper::micTestFormat());
    QCOMPARE(in->volume(), 0.3);
    QCOMPARE(out->volume(), 0.7);
    QVERIFY(isRunning(in->state()));
    QCOMPARE(out->state(), QAudio::StoppedState);

    QTRY_VERIFY(loopRan);
    QCOMPARE(out->state(), QAudio::StoppedState); // still waiting at 50 ms
    QTRY_VERIFY(isRunning(out->state()));
    QVERIFY(outputConsumes());
    QTRY_COMPARE(recording(), 1);
    QTRY_COMPARE(playing(), 1);

    helper->setMicTestVolume(99, 80);
    QCOMPARE(in->volume(), 0.8);

    // The output plays what the input records, so it goes with it.
    helper->stopMicTest();
    QVERIFY(!helper->currentInput());
    QVERIFY(!helper->currentOutput());
    QTRY_COMPARE(recording(), 0);
    QTRY_COMPARE(playing(), 0);
  }

  void secondMicTestReplacesInputAndOutput() {
    helper->micTest(source, sink, 50, 50);
    QPointer<QAudioInput> firstIn = helper->currentInput();
    QPointer<QAudioOutput> firstOut = helper->currentOutput();
    helper->micTest(source, sink, 40, 40);
    QVERIFY(!firstIn);
    QVERIFY(!firstOut);
    QVERIFY(helper->currentInput() && helper->currentOutput());
    QTRY_VERIFY(isRunning(helper->currentOutput()->state()));
    QTRY_COMPARE(recording(), 1);
    QTRY_COMPARE(playing(), 1);
  }

  void speakerTestDuringMicTestReplacesOnlyTheOutput() {
    QTemporaryDir dir;
    const QString shortSound = dir.filePath(QStringLiteral("short.raw"));
    writeSilence(shortSound, 300);
    helper->micTest(source, sink, 50, 50);
    QPointer<QAudioInput> in = helper->currentInput();
    QPointer<QAudioOutput> loopback = helper->currentOutput();
    // Within the 200 ms before the loopback output would start.
    helper->speakerTest(sink, shortSound, 50);
    QVERIFY(!loopback);
    QCOMPARE(helper->currentInput(), in.data());
    QCOMPARE(helper->currentFormat().sampleRate(), 44100);
    QAudioOutput *out = helper->currentOutput();
    QVERIFY(outputConsumes());
    // The file runs out; had the pending loopback start taken this output over, it would
    // go on playing the microphone.
    QTRY_COMPARE_WITH_TIMEOUT(out->state(), QAudio::IdleState, 3000);
    QTest::qWait(300);
    QCOMPARE(out->state(), QAudio::IdleState);
    QCOMPARE(helper->currentOutput(), out);

    helper->stopMicTest();
    QVERIFY(!helper->currentInput());
    QCOMPARE(helper->currentOutput(), out);
    QTRY_COMPARE(recording(), 0);
    QCOMPARE(playing(), 1);
  }

  void badIndicesLeaveARunningTestAlone() {
    helper->speakerTest(sink, kMelody, 50);
    QAudioOutput *out = helper->currentOutput();
    QVERIFY(out);
    const int outputs = helper->outputDevices().size();
    const int inputs = helper->inputDevices().size();
    helper->speakerTest(outputs, kMelody, 50);
    helper->speakerTest(-1, kMelody, 50);
    helper->micTest(inputs, sink, 50, 50);
    helper->micTest(source, outputs, 50, 50);
    helper->micTest(-1, sink, 50, 50);
    helper->micTest(source, -1, 50, 50);
    QCOMPARE(helper->currentOutput(), out);
    QVERIFY(!helper->currentInput());
    QTRY_COMPARE(out->state(), QAudio::ActiveState);
  }

  void withoutATestVolumesAndStopsDoNothing() {
    helper->setMicTestVolume(0, 10);
    helper->setSpeakerTestVolume(0, 10);
    helper->stopMicTest();
    helper->stopSpeakerTest();
    QVERIFY(!helper->currentInput());
    QVERIFY(!helper->currentOutput());
    QCOMPARE(playing(), 0);
  }

  void unreadableFileGivesSilence() {
    helper->speakerTest(sink, kMelody, 50);
    helper->speakerTest(sink, QStringLiteral(":/res/Resources/no-such-sound.wav"), 50);
    QVERIFY(!helper->currentOutput());
    QTRY_COMPARE(playing(), 0);
  }

  // The shell's settings pages and the classroom play their test sounds through one helper.
  void testSoundsPlayFromTheResourceFolder() {
    const TestSounds sounds(helper.get());
    sounds.speakerTest(sink, 40);
    QVERIFY(helper->currentOutput());
    QCOMPARE(helper->currentOutput()->volume(), 0.4);
    QCOMPARE(helper->soundFileName(), kMelody);
    QVERIFY(outputConsumes());

    sounds.play(QStringLiteral("no-such-sound.wav"), sink, 50);
    QCOMPARE(helper->soundFileName(), QStringLiteral(":/res/Resources/no-such-sound.wav"));
    QVERIFY(!helper->currentOutput());

    sounds.micTest(source, sink, 30, 70);
    QVERIFY(helper->currentInput() && helper->currentOutput());
    QCOMPARE(helper->currentInput()->volume(), 0.3);
    QCOMPARE(helper->currentOutput()->volume(), 0.7);
    sounds.stopMicTest();
    QVERIFY(!helper->currentInput());
    sounds.speakerTest(sink, 50);
    sounds.stopSpeakerTest();
    QVERIFY(!helper->currentOutput());
    QTRY_COMPARE(playing(), 0);
  }

  void testSoundsWithoutAHelperPlayNothing() {
    const TestSounds none(nullptr);
    none.speakerTest(sink, 50);
    none.micTest(source, sink, 50, 50);
    none.stopMicTest();
    none.stopSpeakerTest();
    QCOMPARE(playing(), 0);
    QCOMPARE(recording(), 0);
  }
};

QTEST_GUILESS_MAIN(TestAudioHelper)
#include "test_audiohelper.moc"

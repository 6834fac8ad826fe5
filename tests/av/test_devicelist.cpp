// One device list: the audio helper (whose positions the settings store keeps) and the live
// SDK list the same audio devices in the same order, also with two sinks that carry the same
// description and with a sink that appears after start-up.

#include "av/audiohelper.h"
#include "sdk/live/devicecatalog.h"

#include <QProcess>
#include <QtTest>

namespace {

// Loads a null sink; returns the module number, or -1.
int loadSink(const QString &name, const QString &description) {
  QProcess pactl;
  pactl.start(QStringLiteral("pactl"),
              {QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
               QStringLiteral("sink_name=") + name,
               QStringLiteral("sink_properties=device.description=") + description});
  if (!pactl.waitForFinished(5000) || pactl.exitCode() != 0) return -1;
  return pactl.readAllStandardOutput().trimmed().toInt();
}

void unloadModule(int module) {
  if (module >= 0) QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("unload-module"), QString::number(module)});
}

QStringList names(const QList<QAudioDeviceInfo> &devices) {
  QStringList out;
  for (const QAudioDeviceInfo &d : devices) out << d.deviceName();
  return out;
}

QStringList ids(const QList<ilivesdk::DeviceEntry> &devices) {
  QStringList out;
  for (const ilivesdk::DeviceEntry &d : devices) out << d.id;
  return out;
}

} // namespace

class TestDeviceList : public QObject {
  Q_OBJECT
  QList<int> modules;

private slots:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
      QSKIP("needs the PulseAudio session of scripts/session.sh (PULSE_SERVER)");
  }
  void cleanupTestCase() {
    for (int m : modules) unloadModule(m);
  }

  void sameDescriptionStillTwoDevicesInBothLists() {
    modules << loadSink(QStringLiteral("tarnwick_same_a"), QStringLiteral("Same"))
            << loadSink(QStringLiteral("tarnwick_same_b"), QStringLiteral("Same"));
    QVERIFY(!modules.contains(-1));
    AudioHelper helper;
    const QStringList shell = names(helper.outputDevices());
    QCOMPARE(shell, ids(ilivesdk::speakers()));
    QCOMPARE(names(helper.inputDevices()), ids(ilivesdk::microphones()));
    const int a = helper.outputIndex(QStringLiteral("tarnwick_same_a"));
    const int b = helper.outputIndex(QStringLiteral("tarnwick_same_b"));
    QVERIFY(a >= 0 && b >= 0 && a != b);
    QCOMPARE(shell.count(QStringLiteral("tarnwick_same_a")), 1);
    QVERIFY(!shell.contains(QString())); // nameless devices are left out
  }

  void sinkAddedAfterStartUpJoinsTheNextList() {
    AudioHelper before;
    const int module = loadSink(QStringLiteral("tarnwick_late"), QStringLiteral("Late"));
    QVERIFY(module >= 0);
    modules << module;
    QCOMPARE(before.outputIndex(QStringLiteral("tarnwick_late")), -1);
    AudioHelper after;
    const QStringList fresh = names(after.outputDevices());
    QVERIFY(fresh.contains(QStringLiteral("tarnwick_late")));
    QCOMPARE(fresh, ids(ilivesdk::speakers()));
  }
};

QTEST_MAIN(TestDeviceList)
#include "test_devicelist.moc"

// The settings dialog: stored choices shown within the device lists' bounds, the two switches
// and their lock, the test/stop swaps, the update check's disabled button and delayed result,
// and the close hook storing only through the dialog's own close button.

#include "classroom_widgets/qtsetting.h"
#include "classroom_widgets/qtsettingview.h"
#include "classroom_widgets/settinghost.h"
#include "core/settingskeys.h"
#include "widgets/qtbackimagebutton.h"
#include "widgets/qtimagebutton.h"
#include "widgets/qtmyslider.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Records every operation the dialog asks for, as "name(arg,arg)".
class RecordingHost : public SettingHost {
public:
  QVariantMap settings;
  QStringList cameras{QStringLiteral("Cam A"), QStringLiteral("Cam B")};
  QStringList mics{QStringLiteral("mic0"), QStringLiteral("mic1"), QStringLiteral("mic2")};
  QStringList speakers{QStringLiteral("spk0"), QStringLiteral("spk1")};
  QStringList calls;

  void loadSetting() override { calls << QStringLiteral("loadSetting()"); }
  QVariantMap currentSettings() const override { return settings; }
  QStringList cameraNames() const override { return cameras; }
  QStringList micNames() const override { return mics; }
  QStringList speakerNames() const override { return speakers; }
  QString programVersion() const override { return QStringLiteral("3.7.5"); }
  void micTest(int m, int s, int mv, int sv) override { record("micTest", {m, s, mv, sv}); }
  void stopMicTest() override { record("stopMicTest", {}); }
  void speakerTest(int i, int v) override { record("speakerTest", {i, v}); }
  void stopSpeakerTest() override { record("stopSpeakerTest", {}); }
  void setMic(int i, int v) override { record("setMic", {i, v}); }
  void setMicVol(int i, int v) override { record("setMicVol", {i, v}); }
  void setSpeaker(int i, int v) override { record("setSpeaker", {i, v}); }
  void setSpeakerVol(int i, int v) override { record("setSpeakerVol", {i, v}); }
  void setCamera(int i) override { record("setCamera", {i}); }
  void setDisableCamera(bool on) override { record("setDisableCamera", {int(on)}); }
  void setHideUp(bool on) override { record("setHideUp", {int(on)}); }
  void checkVersionAsked() override { record("checkVersionAsked", {}); }

private:
  void record(const char *name, std::initializer_list<int> args) {
    QStringList parts;
    for (int a : args) parts << QString::number(a);
    calls << QStringLiteral("%1(%2)").arg(QLatin1String(name), parts.join(QLatin1Char(',')));
  }
};

template <typename T> T *part(QWidget *w, const char *name) {
  T *child = w->findChild<T *>(QString::fromLatin1(name));
  if (!child) qFatal("missing child %s", name);
  return child;
}

bool switchOn(QWidget *view, const char *name) {
  return part<QPushButton>(view, name)->property("switchOn").toBool();
}

} // namespace

class TestSetting : public QObject {
  Q_OBJECT
private slots:
  void frameAndTabs();
  void storedChoicesWithinTheLists();
  void missingSettingsGiveZeroesAndFirstDevices();
  void storedChoicesStoreNothingWhileShown();
  void hideUpForcesAndLocksDisableCamera();
  void disableCameraSwitchTogglesTheCameraCombo();
  void testAndStopSwap();
  void changesGoToTheHost();
  void updateCheckWaitsForTheAnswerAndTwoSeconds();
  void closeButtonStoresSwitchesAndVolumes();
};

void TestSetting::frameAndTabs() {
  RecordingHost host;
  QtSetting dialog(&host);
  QCOMPARE(dialog.title(), QStringLiteral("参数设置"));
  QCOMPARE(dialog.size(), QSize(490, 400));
  QWidget *view = dialog.view();
  auto *device = part<QtBackImageButton>(view, "btnDevice");
  auto *about = part<QtBackImageButton>(view, "btnAbout");
  QCOMPARE(device->size(), QSize(89, 50));
  QVERIFY(!device->hoverImages());
  QVERIFY(part<QComboBox>(view, "cbMic")->view()->inherits("QListView"));
  QCOMPARE(part<QLabel>(view, "labelVer")->text(), QStringLiteral("Tarnwick v3.7.5"));

  dialog.show();
  QVERIFY(part<QWidget>(view, "widgetDevice")->isVisible());
  QVERIFY(!part<QWidget>(view, "widgetAbout")->isVisible());
  QVERIFY(device->labelText()->styleSheet().contains(QLatin1String("rgb(255, 255, 255)")));
  QVERIFY(about->labelText()->styleSheet().contains(QLatin1String("rgb(241, 241, 241)")));
  about->click();
  QVERIFY(!part<QWidget>(view, "widgetDevice")->isVisible());
  QVERIFY(part<QWidget>(view, "widgetAbout")->isVisible());
  QCOMPARE(about->labelText()->styleSheet(),
           QStringLiteral("font: 14px \"微软雅黑\";\nbackground-color: rgb(255, 255, 255);"));
  QVERIFY(device->labelText()->styleSheet().contains(QLatin1String("rgb(241, 241, 241)")));
  device->click();
  QVERIFY(part<QWidget>(view, "widgetDevice")->isVisible());
}

void TestSetting::storedChoicesWithinTheLists() {
  using namespace settingskeys;
  RecordingHost host;
  host.settings = {{kMic, 2}, {kSpeaker, 5}, {kCameraIndex, 1}, {kMicVol, 40}, {kSpeakerVol, 130}};
  QtSettingView view(&host);
  QCOMPARE(part<QComboBox>(&view, "cbMic")->currentIndex(), 2);
  QCOMPARE(part<QComboBox>(&view, "cbMic")->count(), 3);
  // An unplugged speaker: the combo keeps its first entry.
  QCOMPARE(part<QComboBox>(&view, "cbSpeaker")->currentIndex(), 0);
  QCOMPARE(part<QComboBox>(&view, "cbCamera")->currentText(), QStringLiteral("Cam B"));
  QCOMPARE(part<QLineEdit>(&view, "textMicVol")->text(), QStringLiteral("40"));
  // The field shows the slider's resulting value, not the stored one.
  QCOMPARE(part<QLineEdit>(&view, "textSpeakerVol")->text(), QStringLiteral("100"));
  QVERIFY(part<QLineEdit>(&view, "textMicVol")->isReadOnly());

  host.settings[kMic] = -1;
  QtSettingView negative(&host);
  QCOMPARE(part<QComboBox>(&negative, "cbMic")->currentIndex(), 0);
}

void TestSetting::missingSettingsGiveZeroesAndFirstDevices() {
  RecordingHost host;
  QtSettingView view(&host);
  for (const char *combo : {"cbMic", "cbSpeaker", "cbCamera"})
    QCOMPARE(part<QComboBox>(&view, combo)->currentIndex(), 0);
  QCOMPARE(part<QtMySlider>(&view, "sliderMicVol")->value(), 0);
  QCOMPARE(part<QLineEdit>(&view, "textSpeakerVol")->text(), QStringLiteral("0"));
  QVERIFY(!view.hideUp());
  QVERIFY(!view.disableCamera());
  QVERIFY(!switchOn(&view, "btnHideUp"));
  QVERIFY(!switchOn(&view, "btnDisableCamera"));
  QVERIFY(part<QComboBox>(&view, "cbCamera")->isEnabled());
  QVERIFY(part<QPushButton>(&view, "btnDisableCamera")->isEnabled());
}

void TestSetting::storedChoicesStoreNothingWhileShown() {
  using namespace settingskeys;
  RecordingHost host;
  host.settings = {{kMic, 9}, {kSpeaker, 1}, {kCameraIndex, 1}, {kMicVol, 30}, {kHideUp, 1}};
  QtSettingView view(&host);
  QCOMPARE(host.calls, QStringList());
}

void TestSetting::hideUpForcesAndLocksDisableCamera() {
  RecordingHost host;
  QtSettingView view(&host);
  part<QPushButton>(&view, "btnHideUp")->click();
  QCOMPARE(host.calls, (QStringList{"setHideUp(1)", "setDisableCamera(1)"}));
  QVERIFY(view.hideUp() && view.disableCamera());
  QVERIFY(switchOn(&view, "btnHideUp") && switchOn(&view, "btnDisableCamera"));
  QVERIFY(!part<QPushButton>(&view, "btnDisableCamera")->isEnabled());
  QVERIFY(!part<QComboBox>(&view, "cbCamera")->isEnabled());

  // Showing the stage area again unlocks the switch but leaves it on.
  host.calls.clear();
  part<QPushButton>(&view, "btnHideUp")->click();
  QCOMPARE(host.calls, (QStringList{"setHideUp(0)", "setDisableCamera(1)"}));
  QVERIFY(!view.hideUp() && view.disableCamera());
  QVERIFY(part<QPushButton>(&view, "btnDisableCamera")->isEnabled());
  QVERIFY(!part<QComboBox>(&view, "cbCamera")->isEnabled());

  // Stored as hidden: locked from the start.
  host.settings = {{settingskeys::kHideUp, 1}, {settingskeys::kDisableCamera, 1}};
  QtSettingView stored(&host);
  QVERIFY(!part<QPushButton>(&stored, "btnDisableCamera")->isEnabled());
  QVERIFY(!part<QComboBox>(&stored, "cbCamera")->isEnabled());
}

void TestSetting::disableCameraSwitchTogglesTheCameraCombo() {
  RecordingHost host;
  QtSettingView view(&host);
  auto *button = part<QPushButton>(&view, "btnDisableCamera");
  button->click();
  QVERIFY(!part<QComboBox>(&view, "cbCamera")->isEnabled());
  button->click();
  QVERIFY(part<QComboBox>(&view, "cbCamera")->isEnabled());
  QCOMPARE(host.calls, (QStringList{"setDisableCamera(1)", "setDisableCamera(0)"}));
}

void TestSetting::testAndStopSwap() {
  using namespace settingskeys;
  RecordingHost host;
  host.settings = {{kMic, 1}, {kSpeaker, 1}, {kMicVol, 30}, {kSpeakerVol, 70}};
  QtSettingView view(&host);
  view.show();
  auto *test = part<QtBackImageButton>(&view, "btnTestMic");
  auto *stop = part<QtBackImageButton>(&view, "btnStopMicTest");
  QCOMPARE(test->imageName(), QStringLiteral("yellow_button"));
  QCOMPARE(stop->imageName(), QStringLiteral("gray_button"));
  QVERIFY(test->isVisible() && !stop->isVisible());
  test->click();
  QCOMPARE(host.calls, QStringList{"micTest(1,1,30,70)"});
  QVERIFY(!test->isVisible() && stop->isVisible());
  // Other actions leave the pair as it is; only the stop button swaps it back.
  part<QtBackImageButton>(&view, "btnTestSpeaker")->click();
  QVERIFY(stop->isVisible());
  stop->click();
  QVERIFY(test->isVisible() && !stop->isVisible());

  auto *speakerStop = part<QtBackImageButton>(&view, "btnStopSpeakerTest");
  QVERIFY(speakerStop->isVisible());
  speakerStop->click();
  QVERIFY(!speakerStop->isVisible());
  QCOMPARE(host.calls, (QStringList{"micTest(1,1,30,70)", "speakerTest(1,70)", "stopMicTest()",
                                    "stopSpeakerTest()"}));
}

void TestSetting::changesGoToTheHost() {
  using namespace settingskeys;
  RecordingHost host;
  host.settings = {{kMic, 1}, {kSpeaker, 0}, {kMicVol, 30}, {kSpeakerVol, 70}};
  QtSettingView view(&host);
  part<QtMySlider>(&view, "sliderMicVol")->setValue(55);
  QCOMPARE(part<QLineEdit>(&view, "textMicVol")->text(), QStringLiteral("55"));
  part<QtMySlider>(&view, "sliderSpeakerVol")->setValue(20);
  part<QComboBox>(&view, "cbMic")->setCurrentIndex(2);
  part<QComboBox>(&view, "cbSpeaker")->setCurrentIndex(1);
  part<QComboBox>(&view, "cbCamera")->setCurrentIndex(1);
  QCOMPARE(host.calls, (QStringList{"setMicVol(1,55)", "setSpeakerVol(0,20)", "setMic(2,55)",
                                    "setSpeaker(1,20)", "setCamera(1)"}));
}

void TestSetting::updateCheckWaitsForTheAnswerAndTwoSeconds() {
  RecordingHost host;
  QtSettingView view(&host);
  auto *button = part<QPushButton>(&view, "btnCheckVersion");
  auto *info = part<QLabel>(&view, "labelInfo");
  button->click();
  QCOMPARE(host.calls, QStringList{"checkVersionAsked()"});
  QVERIFY(!button->isEnabled());
  QCOMPARE(info->text(), QStringLiteral("检查中，请稍后..."));
  QTest::qWait(300); // no answer yet: still waiting
  QVERIFY(!button->isEnabled());

  QElapsedTimer clock;
  clock.start();
  view.versionCheck(false, QStringLiteral("3.8.0"));
  QVERIFY(!button->isEnabled()); // the event loop keeps running meanwhile
  QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 5000);
  QVERIFY(clock.elapsed() >= QtSettingView::kVersionResultDelayMs);
  QCOMPARE(info->text(), QStringLiteral("检查到最新版本 v3.8.0"));

  button->click();
  view.versionCheck(true, QString());
  QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 5000);
  QCOMPARE(info->text(), QStringLiteral("当前已是最新版本"));

  // A check that fails says so and can be tried again.
  button->click();
  view.versionCheckFailed(QStringLiteral("系统异常，请稍后再试！"));
  QVERIFY(!button->isEnabled());
  QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 5000);
  QCOMPARE(info->text(), QStringLiteral("检查更新失败：系统异常，请稍后再试！"));
  QCOMPARE(host.calls.count(QStringLiteral("checkVersionAsked()")), 3);
}

void TestSetting::closeButtonStoresSwitchesAndVolumes() {
  using namespace settingskeys;
  RecordingHost host;
  host.settings = {{kMic, 2}, {kSpeaker, 1}, {kMicVol, 30}, {kSpeakerVol, 70}, {kHideUp, 1},
                   {kDisableCamera, 1}};
  QtSetting dialog(&host);
  dialog.show();
  dialog.close(); // not the close button: nothing more is stored
  QCOMPARE(host.calls, QStringList());

  dialog.show();
  dialog.closeButton()->click();
  QCOMPARE(host.calls, (QStringList{"setHideUp(1)", "setDisableCamera(1)", "setMicVol(2,30)",
                                    "setSpeakerVol(1,70)"}));
  QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestSetting)
#include "test_setting.moc"

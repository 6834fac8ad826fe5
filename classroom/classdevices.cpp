#include "classroom/classdevices.h"

#include "core/settingskeys.h"

#include "av/audiohelper.h"
#include "av/testsounds.h"
#include "classroom/classcontrols.h"
#include "messaging/classsend.h"
#include "sdk/live/ilive.h"

#include <QTimer>
#include <QtDebug>

namespace {

using DeviceList = ilive::Vector<ilive::Pair<ilive::String, ilive::String>>;


QString tipTitle() { return QStringLiteral("在线课堂"); }

} // namespace

const char *const ClassDevices::kOpenMic = "openMic";
const char *const ClassDevices::kOpenSpeaker = "openSpeaker";
const char *const ClassDevices::kOpenCamera = "openCamera";
const char *const ClassDevices::kEnterLive = "EnterLive";

// One kind of device: how to list and open it, where its choice is stored, what to tell the
// student when the choice does not fit the list.
struct ClassDevices::Kind {
  const char *name;
  int (ilive::iLive::*list)(DeviceList &);
  int (ilive::iLive::*open)(const char *);
  QString settingKey;
  QString tip;
  // The shell's list that the stored index counts (null: the SDK's own list, for cameras).
  const QList<QAudioDeviceInfo> &(AudioHelper::*shellList)() const = nullptr;

  static const Kind &camera() {
    static const Kind k{"camera", &ilive::iLive::getCameraList, &ilive::iLive::openCamera,
                        settingskeys::kCameraIndex,
                        QStringLiteral("摄像头设置不正确，请在设置中选择正确的摄像头后，再重新开启摄像头。")};
    return k;
  }
  static const Kind &mic() {
    static const Kind k{"mic", &ilive::iLive::getMicList, &ilive::iLive::openMic, settingskeys::kMic,
                        QStringLiteral("麦克风设置不正确，请在设置中选择正确的麦克风"),
                        &AudioHelper::inputDevices};
    return k;
  }
  static const Kind &speaker() {
    static const Kind k{"speaker", &ilive::iLive::getSpeakerList, &ilive::iLive::openSpeaker,
                        settingskeys::kSpeaker,
                        QStringLiteral("扬声器设置不正确，请在设置中选择正确的扬声器"),
                        &AudioHelper::outputDevices};
    return k;
  }
};

ClassDevices::ClassDevices(ClassDevicesHost *host, ClassControls *controls, QTimer *delayTimer, QObject *parent)
    : QObject(parent), m_host(host), m_controls(controls), m_delayTimer(delayTimer) {}

// The stored index names a device of the shell's list, taken when the settings were last
// loaded; the SDK reads its list afresh, so the device is looked up there by its id.
std::string ClassDevices::deviceId(const Kind &kind, const DeviceList &devices, int index) const {
  if (index < 0) return {};
  const AudioHelper *helper = kind.shellList ? m_host->audioHelper() : nullptr;
  if (!helper) return size_t(index) < devices.size() ? devices[size_t(index)].first.c_str() : std::string();
  const QList<QAudioDeviceInfo> &shellDevices = (helper->*kind.shellList)();
  if (index >= shellDevices.size()) return {};
  const std::string id = shellDevices.at(index).deviceName().toStdString();
  for (size_t i = 0; i < devices.size(); ++i)
    if (id == devices[i].first.c_str()) return id;
  return {};
}

bool ClassDevices::openWithSettings(const Kind &kind) {
  ilive::iLive *live = GetILive();
  bool opened = false;
  bool fits = false;
  {
    DeviceList devices; // released at the end of this block
    const int listed = (live->*kind.list)(devices);
    const int index = m_host->currentSettings().value(kind.settingKey).toInt();
    const std::string id = listed == 0 ? deviceId(kind, devices, index) : std::string();
    fits = !id.empty();
    if (fits) {
      const int code = (live->*kind.open)(id.c_str());
      opened = code == 0;
      // The id came from the list a moment ago, so a refusal is the SDK's own trouble; the
      // settings tip would send the student looking in the wrong place.
      if (!opened) qDebug("ClassDevices: open %s %d failed: %d", kind.name, index, code);
    }
  }
  if (!fits) m_host->showTip(tipTitle(), kind.tip);
  return opened;
}

bool ClassDevices::openMicWithSettings() { return openWithSettings(Kind::mic()); }

void ClassDevices::openSpeakerWithSettings() { openWithSettings(Kind::speaker()); }

bool ClassDevices::openCamera() { return openWithSettings(Kind::camera()); }

void ClassDevices::closeMic() {
  GetILive()->closeMic();
  g_sendC2CCustomCmd(m_host->masterId(), kCmdMicLevel, QStringLiteral("0"));
}

void ClassDevices::closeSpeaker() { GetILive()->closeSpeaker(); }

void ClassDevices::closeCamera() { GetILive()->closeCamera(); }

void ClassDevices::disableCamera() {
  closeCamera();
  m_host->setCameraUp(false);
  g_sendGroupCustomCmd(kCmdCameraClosed, m_host->userId());
  m_host->removeOwnTile();
  m_controls->offCamera();
}

void ClassDevices::reopenMic() {
  if (m_host->sessionStatus() != kStatusOnStage) return;
  closeMic();
  queueOperation(QLatin1String(kOpenMic), kReopenDelayMs);
}

void ClassDevices::reopenSpeaker() {
  closeSpeaker();
  queueOperation(QLatin1String(kOpenSpeaker), kReopenDelayMs);
}

void ClassDevices::reopenCamera() {
  if (!m_host->cameraUp()) return;
  closeCamera();
  queueOperation(QLatin1String(kOpenCamera), kReopenDelayMs);
}

void ClassDevices::setMicVolume(int value) {
  GetILive()->setMicVolume(uint32_t(qMax(value, 0)));
  m_controls->setMicVolume(value);
}

void ClassDevices::setSpeakerVolume(int value) {
  GetILive()->setSpeakerVolume(uint32_t(qMax(value, 0)));
  m_controls->setSpeakerVolume(value);
}

void ClassDevices::setMic(int, int value) {
  setMicVolume(value);
  reopenMic();
}

void ClassDevices::setMicVol(int, int value) { setMicVolume(value); }

void ClassDevices::setSpeaker(int, int value) {
  setSpeakerVolume(value);
  reopenSpeaker();
}

void ClassDevices::setSpeakerVol(int, int value) { setSpeakerVolume(value); }

void ClassDevices::setCamera(int) { reopenCamera(); }

void ClassDevices::setDisableCamera(bool disable) {
  if (disable && m_host->cameraUp()) disableCamera();
}

void ClassDevices::setHideUp(bool hide) {
  if (hide) m_host->stageHidden();
}

void ClassDevices::onHsMicVol(int value) { GetILive()->setMicVolume(uint32_t(qMax(value, 0))); }

void ClassDevices::onHsSpeakerVol(int value) { GetILive()->setSpeakerVolume(uint32_t(qMax(value, 0))); }

void ClassDevices::queueOperation(const QString &entry, int delayMs) {
  m_pending.append(entry);
  m_delayTimer->start(delayMs);
}

void ClassDevices::runPendingOperations() {
  m_delayTimer->stop();
  while (!m_pending.isEmpty()) runOperation(m_pending.takeFirst());
}

void ClassDevices::runOperation(const QString &entry) {
  // A re-open queued on stage or with the camera up is stale once the teacher has ended
  // that in the meantime: opening then would bring back a device the teacher just closed.
  if (entry == QLatin1String(kOpenMic)) {
    if (m_host->sessionStatus() == kStatusOnStage) openMicWithSettings();
  } else if (entry == QLatin1String(kOpenSpeaker)) {
    openSpeakerWithSettings();
  } else if (entry == QLatin1String(kOpenCamera)) {
    if (m_host->cameraUp()) openCamera();
  } else if (entry.startsWith(QLatin1String(kEnterLive))) {
    welcome(entry);
  }
}

void ClassDevices::welcome(const QString &entry) {
  const QString uid = entry.section(QLatin1Char(':'), 1, 1);
  const QString name = m_host->memberName(uid);
  if (name.isEmpty()) return;
  m_host->addSystemMessage(
      QStringLiteral("%1 %2 %3").arg(QStringLiteral("欢迎"), name, QStringLiteral("进入教室")));
}

void ClassDevices::onDeviceOperation(int operationCode, int resultCode) {
  if (resultCode != 0) return;
  switch (operationCode) {
  case ilive::DEVICE_OP_OPEN_MIC:
    GetILive()->setMicVolume(uint32_t(qMax(m_controls->micVolume(), 0)));
    m_controls->setMicOn(true);
    break;
  case ilive::DEVICE_OP_CLOSE_MIC:
    m_controls->setMicOn(false);
    break;
  case ilive::DEVICE_OP_OPEN_SPEAKER:
    GetILive()->setSpeakerVolume(uint32_t(qMax(m_controls->speakerVolume(), 0)));
    m_controls->setSpeakerOn(true);
    break;
  case ilive::DEVICE_OP_CLOSE_SPEAKER:
    m_controls->setSpeakerOn(false);
    break;
  default:
    return;
  }
  m_host->reapplyStatus();
}

void ClassDevices::onQuality(quint16 lossRateSend, quint16 lossRateRecv) {
  qDebug("lossRateSend:%u, lossRateRecv:%u", unsigned(lossRateSend), unsigned(lossRateRecv));
  m_host->setNetworkGood(lossRateSend <= kMaxGoodLossRate && lossRateRecv <= kMaxGoodLossRate);
}

void ClassDevices::playClassSound(const QString &fileName) {
  const QVariantMap settings = m_host->currentSettings();
  TestSounds(m_host->audioHelper())
      .play(fileName, settings.value(settingskeys::kSpeaker).toInt(),
            settings.value(settingskeys::kSpeakerVol).toInt());
}

void ClassDevices::micTest(int micIndex, int speakerIndex, int micVol, int speakerVol) {
  TestSounds(m_host->audioHelper()).micTest(micIndex, speakerIndex, micVol, speakerVol);
}

void ClassDevices::speakerTest(int index, int value) { TestSounds(m_host->audioHelper()).speakerTest(index, value); }

void ClassDevices::stopMicTest() { TestSounds(m_host->audioHelper()).stopMicTest(); }

void ClassDevices::stopSpeakerTest() { TestSounds(m_host->audioHelper()).stopSpeakerTest(); }

void ClassDevices::initVolumes() {
  m_host->reloadSettings();
  const QVariantMap settings = m_host->currentSettings();
  m_controls->setMicVolume(settings.value(settingskeys::kMicVol).toInt());
  m_controls->setSpeakerVolume(settings.value(settingskeys::kSpeakerVol).toInt());
}

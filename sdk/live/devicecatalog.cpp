#include "sdk/live/devicecatalog.h"

#include <QCameraInfo>
#include <QSet>

namespace ilivesdk {

const char kTestPatternCameraId[] = "tarnwick:test-pattern";

namespace {
QList<DeviceEntry> audioDevices(QAudio::Mode mode) {
  QList<DeviceEntry> list;
  for (const QAudioDeviceInfo &d : audioDeviceList(mode))
    list.append({d.deviceName(), d.deviceName()});
  return list;
}
} // namespace

QList<QAudioDeviceInfo> audioDeviceList(QAudio::Mode mode) {
  QList<QAudioDeviceInfo> list;
  QSet<QString> seen;
  const QList<QAudioDeviceInfo> devices = QAudioDeviceInfo::availableDevices(mode);
  for (const QAudioDeviceInfo &d : devices) {
    if (d.deviceName().isEmpty() || seen.contains(d.deviceName()))
      continue;
    seen.insert(d.deviceName());
    list.append(d);
  }
  return list;
}

QList<DeviceEntry> cameras() {
  QList<DeviceEntry> list;
  const QList<QCameraInfo> found = QCameraInfo::availableCameras();
  for (const QCameraInfo &c : found)
    list.append({c.deviceName(), c.description().isEmpty() ? c.deviceName() : c.description()});
  list.append({QString::fromLatin1(kTestPatternCameraId), QStringLiteral("测试图案摄像头")});
  return list;
}

QList<DeviceEntry> microphones() { return audioDevices(QAudio::AudioInput); }

QList<DeviceEntry> speakers() { return audioDevices(QAudio::AudioOutput); }

bool containsDevice(const QList<DeviceEntry> &list, const QString &id) {
  for (const DeviceEntry &d : list)
    if (d.id == id)
      return true;
  return false;
}

QAudioDeviceInfo audioDevice(QAudio::Mode mode, const QString &id) {
  const QList<QAudioDeviceInfo> devices = QAudioDeviceInfo::availableDevices(mode);
  for (const QAudioDeviceInfo &d : devices)
    if (d.deviceName() == id)
      return d;
  return QAudioDeviceInfo();
}

QAudioFormat voiceFormat() {
  QAudioFormat f;
  f.setSampleRate(16000);
  f.setChannelCount(1);
  f.setSampleSize(16);
  f.setSampleType(QAudioFormat::SignedInt);
  f.setByteOrder(QAudioFormat::LittleEndian);
  f.setCodec(QStringLiteral("audio/pcm"));
  return f;
}

} // namespace ilivesdk

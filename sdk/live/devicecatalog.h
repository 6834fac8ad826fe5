#pragma once
// The machine's devices as (id, name): microphones and speakers from Qt Multimedia, cameras
// from Qt Multimedia followed by the SDK's test-pattern camera.

#include <QAudio>
#include <QAudioDeviceInfo>
#include <QList>
#include <QString>

namespace ilivesdk {

struct DeviceEntry {
  QString id;
  QString name;
};

extern const char kTestPatternCameraId[];

QList<DeviceEntry> cameras();
// The machine's audio devices of one direction, in the toolkit's order, without nameless
// devices and without a second device of a name already listed. Positions in this list are
// the device indices that the settings store, the settings dialog and the classroom share.
QList<QAudioDeviceInfo> audioDeviceList(QAudio::Mode mode);
QList<DeviceEntry> microphones();
QList<DeviceEntry> speakers();
bool containsDevice(const QList<DeviceEntry> &list, const QString &id);
// The audio device with that id; isNull() when there is none.
QAudioDeviceInfo audioDevice(QAudio::Mode mode, const QString &id);
// 16-bit signed little-endian mono PCM at 16 kHz: what the SDK records, sends and plays.
QAudioFormat voiceFormat();

} // namespace ilivesdk

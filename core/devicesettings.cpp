#include "core/devicesettings.h"

#include "core/settingskeys.h"

namespace {

using namespace settingskeys;

int intOr(const QVariantMap &map, const QString &key, int fallback) {
  const auto it = map.constFind(key);
  return it == map.constEnd() ? fallback : it->toInt();
}

std::optional<QString> nameIn(const QVariantMap &map, const QString &key) {
  const auto it = map.constFind(key);
  if (it == map.constEnd()) return std::nullopt;
  return it->toString();
}

void putName(QVariantMap &map, const QString &key, const std::optional<QString> &name) {
  if (name) map.insert(key, *name);
}

} // namespace

DeviceSettings DeviceSettings::fromMap(const QVariantMap &map) {
  DeviceSettings s;
  s.mic = intOr(map, kMic, s.mic);
  s.micVol = intOr(map, kMicVol, s.micVol);
  s.speaker = intOr(map, kSpeaker, s.speaker);
  s.speakerVol = intOr(map, kSpeakerVol, s.speakerVol);
  s.cameraIndex = intOr(map, kCameraIndex, s.cameraIndex);
  s.disableCamera = intOr(map, kDisableCamera, 0) == 1;
  s.hideUp = intOr(map, kHideUp, 0) == 1;
  s.micName = nameIn(map, kMicName);
  s.speakerName = nameIn(map, kSpeakerName);
  s.cameraName = nameIn(map, kCameraName);
  return s;
}

QVariantMap DeviceSettings::toMap() const {
  QVariantMap map{{kMic, mic},
                  {kMicVol, micVol},
                  {kSpeaker, speaker},
                  {kSpeakerVol, speakerVol},
                  {kCameraIndex, cameraIndex},
                  {kDisableCamera, disableCamera ? 1 : 0},
                  {kHideUp, hideUp ? 1 : 0}};
  putName(map, kMicName, micName);
  putName(map, kSpeakerName, speakerName);
  putName(map, kCameraName, cameraName);
  return map;
}

bool DeviceSettings::operator==(const DeviceSettings &o) const {
  return mic == o.mic && micVol == o.micVol && speaker == o.speaker && speakerVol == o.speakerVol &&
         cameraIndex == o.cameraIndex && disableCamera == o.disableCamera && hideUp == o.hideUp &&
         micName == o.micName && speakerName == o.speakerName && cameraName == o.cameraName;
}

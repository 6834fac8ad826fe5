#pragma once
// The student's device choices as typed fields, beside the settings map that the shell keeps
// (currentSettings): positions in the device lists, volumes 0-100, the two switches, and the
// device names that the setters add to the map.

#include <QString>
#include <QVariantMap>
#include <optional>

struct DeviceSettings {
  int mic = -1;
  int micVol = 100;
  int speaker = -1;
  int speakerVol = 100;
  int cameraIndex = -1;
  bool disableCamera = false;
  bool hideUp = false;
  // Present once a setter has written them (an empty name for an index outside the list).
  std::optional<QString> micName;
  std::optional<QString> speakerName;
  std::optional<QString> cameraName;

  // A key missing from the map keeps the store's default above (index -1, volume 100, off).
  static DeviceSettings fromMap(const QVariantMap &map);
  // The map's form: integers for the numbers and switches, names only when present.
  QVariantMap toMap() const;

  bool operator==(const DeviceSettings &other) const;
  bool operator!=(const DeviceSettings &other) const { return !(*this == other); }
};

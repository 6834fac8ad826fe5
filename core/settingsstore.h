#pragma once
// The per-user settings store: last phone and password, device choices, volumes and the two
// switches, kept in "quorvel.ini" of the user's config folder (core/places.h) and mirrored
// in the in-memory map currentSettings(). The shell window owns one and delegates its slots
// to it; the classroom learns of every change through the signals.

#include "core/devicesettings.h"

#include <QObject>
#include <QVariantMap>
#include <memory>

class QSettings;
class SettingsDevices;

class SettingsStore : public QObject {
  Q_OBJECT
public:
  // devices must outlive the store.
  explicit SettingsStore(SettingsDevices *devices, QObject *parent = nullptr);
  ~SettingsStore() override;

  // Fills both (empty when absent); a protected password is unprotected.
  void loadPassword(QString &phone, QString &password);
  // Stores the trimmed phone and the protected password. Nothing while the store is closed.
  void storePassword(const QString &phone, const QString &password);

  // Re-enumerates the devices, resolves the stored choices against them and fills
  // currentSettings(): microphone, speaker and camera positions, both volumes and both
  // switches (keys in core/settingskeys.h).
  void loadSetting();

  // Setters: each writes the store and currentSettings(), then emits the matching signal.
  // While the store is closed (before the first load, after resetStore) they do nothing.
  void setMic(int micIndex, int value);
  void setMicVol(int micIndex, int value);
  void setSpeaker(int speakerIndex, int value);
  void setSpeakerVol(int speakerIndex, int value);
  void setCamera(int cameraIndex);
  void setDisableCamera(bool disable);
  void setHideUp(bool hide);

  // Closes the store; the next load opens the file afresh.
  void resetStore();
  // Writes what was set to the file now (it is written later otherwise). Nothing while closed.
  void flush();

  bool isOpen() const { return m_store != nullptr; }
  const QVariantMap &currentSettings() const { return m_current; }
  // currentSettings() with typed fields.
  DeviceSettings deviceSettings() const;

signals:
  // For the open classroom window, one per setter.
  void micChanged(int micIndex, int value);
  void micVolChanged(int micIndex, int value);
  void speakerChanged(int speakerIndex, int value);
  void speakerVolChanged(int speakerIndex, int value);
  void cameraChanged(int cameraIndex);
  void disableCameraChanged(bool disable);
  void hideUpChanged(bool hide);

private:
  void openStore();
  int storedInt(const QString &key, int fallback) const;
  struct AudioKeys {
    const QString &index;
    const QString &name;
    const QString &useDefault;
  };
  int resolveAudioIndex(const AudioKeys &keys, const QStringList &devices, const QString &defaultName) const;
  int resolveCameraIndex(const QStringList &cameras) const;
  void writeInput(int micIndex, int value);
  void writeOutput(int speakerIndex, int value);
  void writeBoth(const QString &key, const QVariant &value);
  QString cameraName(int cameraIndex) const;

  SettingsDevices *m_devices;
  std::unique_ptr<QSettings> m_store;
  QVariantMap m_current;
};

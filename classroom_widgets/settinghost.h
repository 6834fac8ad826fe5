#pragma once
// What the settings dialog asks of the program: the device lists it shows, the stored
// choices, and the operations that apply and store a choice. The dialog never opens a device
// or writes a setting itself; the shell window implements this over its settings store and
// audio helper, tests over a recorder.

#include <QStringList>
#include <QVariantMap>

class SettingHost {
public:
  virtual ~SettingHost() = default;

  // Re-reads the stored choices and the machine's devices (the lists below follow).
  virtual void loadSetting() = 0;
  virtual QVariantMap currentSettings() const = 0;
  virtual QStringList cameraNames() const = 0;  // by description
  virtual QStringList micNames() const = 0;     // by device name
  virtual QStringList speakerNames() const = 0; // by device name

  virtual void micTest(int micIndex, int speakerIndex, int micVol, int speakerVol) = 0;
  virtual void stopMicTest() = 0;
  virtual void speakerTest(int index, int speakerVol) = 0;
  virtual void stopSpeakerTest() = 0;
  virtual void setMic(int micIndex, int value) = 0;
  virtual void setMicVol(int micIndex, int value) = 0;
  virtual void setSpeaker(int speakerIndex, int value) = 0;
  virtual void setSpeakerVol(int speakerIndex, int value) = 0;
  virtual void setCamera(int cameraIndex) = 0;
  virtual void setDisableCamera(bool disable) = 0;
  virtual void setHideUp(bool hide) = 0;
  virtual QString programVersion() const = 0;
  // The update check the student asked for; the answer comes back as versionCheck.
  virtual void checkVersionAsked() = 0;
};

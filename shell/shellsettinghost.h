#pragma once
// The settings dialog's host over the shell window: its settings store, the device lists of
// the store's devices, its test sounds and its update check.

#include "classroom_widgets/settinghost.h"

class BrowserWindow;

class ShellSettingHost : public SettingHost {
public:
  explicit ShellSettingHost(BrowserWindow *shell) : m_shell(shell) {}

  void loadSetting() override;
  QVariantMap currentSettings() const override;
  QStringList cameraNames() const override;
  QStringList micNames() const override;
  QStringList speakerNames() const override;
  QString programVersion() const override;
  void micTest(int micIndex, int speakerIndex, int micVol, int speakerVol) override;
  void stopMicTest() override;
  void speakerTest(int index, int speakerVol) override;
  void stopSpeakerTest() override;
  void setMic(int micIndex, int value) override;
  void setMicVol(int micIndex, int value) override;
  void setSpeaker(int speakerIndex, int value) override;
  void setSpeakerVol(int speakerIndex, int value) override;
  void setCamera(int cameraIndex) override;
  void setDisableCamera(bool disable) override;
  void setHideUp(bool hide) override;
  void checkVersionAsked() override;

private:
  BrowserWindow *m_shell;
};

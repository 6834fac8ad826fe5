#include "shell/shellsettinghost.h"

#include "shell/audiodevices.h"
#include "shell/browserwindow.h"

void ShellSettingHost::loadSetting() { m_shell->loadSetting(); }

QVariantMap ShellSettingHost::currentSettings() const { return m_shell->currentSettings(); }

QStringList ShellSettingHost::cameraNames() const { return m_shell->devices()->cameraDescriptions(); }

QStringList ShellSettingHost::micNames() const { return m_shell->devices()->inputNames(); }

QStringList ShellSettingHost::speakerNames() const { return m_shell->devices()->outputNames(); }

QString ShellSettingHost::programVersion() const { return m_shell->version(); }

void ShellSettingHost::micTest(int micIndex, int speakerIndex, int micVol, int speakerVol) {
  m_shell->micTest(micIndex, speakerIndex, micVol, speakerVol);
}

void ShellSettingHost::stopMicTest() { m_shell->stopMicTest(); }

void ShellSettingHost::speakerTest(int index, int speakerVol) { m_shell->speakerTest(index, speakerVol); }

void ShellSettingHost::stopSpeakerTest() { m_shell->stopSpeakerTest(); }

void ShellSettingHost::setMic(int micIndex, int value) { m_shell->setMic(micIndex, value); }

void ShellSettingHost::setMicVol(int micIndex, int value) { m_shell->setMicVol(micIndex, value); }

void ShellSettingHost::setSpeaker(int speakerIndex, int value) { m_shell->setSpeaker(speakerIndex, value); }

void ShellSettingHost::setSpeakerVol(int speakerIndex, int value) {
  m_shell->setSpeakerVol(speakerIndex, value);
}

void ShellSettingHost::setCamera(int cameraIndex) { m_shell->setCamera(cameraIndex); }

void ShellSettingHost::setDisableCamera(bool disable) { m_shell->setDisableCamera(disable); }

void ShellSettingHost::setHideUp(bool hide) { m_shell->setHideUp(hide); }

void ShellSettingHost::checkVersionAsked() { m_shell->checkVersion(true); }

#include "core/settingsstore.h"

#include "core/jsonhelpers.h"
#include "core/places.h"
#include "core/protect.h"
#include "core/settingsdevices.h"
#include "core/settingskeys.h"

#include <QDebug>
#include <QJsonObject>
#include <QSettings>

using namespace settingskeys;

namespace {

QString nameAt(const QStringList &list, int index) {
  return index >= 0 && index < list.size() ? list.at(index) : QString();
}

} // namespace

SettingsStore::SettingsStore(SettingsDevices *devices, QObject *parent)
    : QObject(parent), m_devices(devices) {}

SettingsStore::~SettingsStore() = default;

void SettingsStore::openStore() {
  if (m_store) return;
  m_store = std::make_unique<QSettings>(Places::userConfigDir() + QStringLiteral("/quorvel.ini"),
                                        QSettings::IniFormat);
  m_store->setIniCodec("utf-8");
}

void SettingsStore::resetStore() { m_store.reset(); }

void SettingsStore::flush() {
  if (m_store) m_store->sync();
}

int SettingsStore::storedInt(const QString &key, int fallback) const {
  return m_store->contains(key) ? m_store->value(key).toInt() : fallback;
}

void SettingsStore::writeBoth(const QString &key, const QVariant &value) {
  m_store->setValue(key, value);
  m_current.insert(key, value);
}

QString SettingsStore::cameraName(int cameraIndex) const {
  return nameAt(m_devices->cameraDescriptions(), cameraIndex);
}

void SettingsStore::loadPassword(QString &phone, QString &password) {
  openStore();
  phone.clear();
  password.clear();
  if (m_store->contains(kPhone)) phone = m_store->value(kPhone).toString();
  if (m_store->contains(kPassword))
    password = m_store->value(kPassword).toString();
  const QString trimmed = password.trimmed();
  if (storedInt(kEncrypt, 0) == 1 && !trimmed.isEmpty()) password = unprotectString(trimmed);
}

void SettingsStore::storePassword(const QString &phone, const QString &password) {
  if (!m_store) return;
  QString stored = password;
  if (!password.trimmed().isEmpty()) stored = protectString(password);
  m_store->setValue(kPhone, phone.trimmed());
  m_store->setValue(kPassword, stored.trimmed());
  m_store->setValue(kEncrypt, 1);
}

// A stored name wins over the stored index; unless the student turned the default off, the
// system's default device wins over both.
int SettingsStore::resolveAudioIndex(const AudioKeys &keys, const QStringList &devices,
                                     const QString &defaultName) const {
  int index = storedInt(keys.index, -1);
  if (m_store->contains(keys.name)) index = devices.indexOf(m_store->value(keys.name).toString());
  const int useDefault = storedInt(keys.useDefault, 1);
  if ((index == -1 || useDefault == 1) && !devices.isEmpty()) index = devices.indexOf(defaultName);
  return index;
}

// A stored camera name only moves the choice when it is found past the first camera.
int SettingsStore::resolveCameraIndex(const QStringList &cameras) const {
  int index = storedInt(kCameraIndex, -1);
  if (index == -1 && !cameras.isEmpty()) index = 0;
  if (m_store->contains(kCameraName)) {
    const int position = cameras.indexOf(m_store->value(kCameraName).toString());
    if (position > 0) index = position;
  }
  return index;
}

void SettingsStore::loadSetting() {
  openStore();
  m_devices->refresh();
  m_current.insert(kMic,
                   resolveAudioIndex({kMic, kMicName, kUseDefaultMic}, m_devices->inputNames(), m_devices->defaultInputName()));
  m_current.insert(kMicVol, storedInt(kMicVol, 100));
  m_current.insert(kSpeaker, resolveAudioIndex({kSpeaker, kSpeakerName, kUseDefaultSpeaker}, m_devices->outputNames(),
                                                                m_devices->defaultOutputName()));
  m_current.insert(kSpeakerVol, storedInt(kSpeakerVol, 100));
  m_current.insert(kCameraIndex, resolveCameraIndex(m_devices->cameraDescriptions()));
  m_current.insert(kDisableCamera, storedInt(kDisableCamera, 0));
  m_current.insert(kHideUp, storedInt(kHideUp, 0));
  // Compact, so that the record stays on one log line.
  qDebug().noquote() << QStringLiteral("loadSetting:") + jsonToCompactText(QJsonObject::fromVariantMap(m_current));
}

DeviceSettings SettingsStore::deviceSettings() const { return DeviceSettings::fromMap(m_current); }

void SettingsStore::writeInput(int micIndex, int value) {
  m_devices->selectInput(micIndex, value);
  writeBoth(kMic, micIndex);
  writeBoth(kMicVol, value);
  writeBoth(kMicName, nameAt(m_devices->inputNames(), micIndex));
}

void SettingsStore::writeOutput(int speakerIndex, int value) {
  m_devices->selectOutput(speakerIndex, value);
  writeBoth(kSpeaker, speakerIndex);
  writeBoth(kSpeakerVol, value);
  writeBoth(kSpeakerName, nameAt(m_devices->outputNames(), speakerIndex));
}

void SettingsStore::setMic(int micIndex, int value) {
  if (!m_store) return;
  writeInput(micIndex, value);
  emit micChanged(micIndex, value);
}

void SettingsStore::setMicVol(int micIndex, int value) {
  if (!m_store) return;
  writeInput(micIndex, value);
  emit micVolChanged(micIndex, value);
}

void SettingsStore::setSpeaker(int speakerIndex, int value) {
  if (!m_store) return;
  writeOutput(speakerIndex, value);
  emit speakerChanged(speakerIndex, value);
}

void SettingsStore::setSpeakerVol(int speakerIndex, int value) {
  if (!m_store) return;
  writeOutput(speakerIndex, value);
  emit speakerVolChanged(speakerIndex, value);
}

void SettingsStore::setCamera(int cameraIndex) {
  if (!m_store) return;
  writeBoth(kCameraIndex, cameraIndex);
  writeBoth(kCameraName, cameraName(cameraIndex));
  emit cameraChanged(cameraIndex);
}

void SettingsStore::setDisableCamera(bool disable) {
  if (!m_store) return;
  writeBoth(kDisableCamera, disable ? 1 : 0);
  // The camera keys are refreshed in the file only; the map already holds the index.
  const int index = m_current.value(kCameraIndex).toInt();
  m_store->setValue(kCameraIndex, index);
  m_store->setValue(kCameraName, cameraName(index));
  emit disableCameraChanged(disable);
}

void SettingsStore::setHideUp(bool hide) {
  if (!m_store) return;
  writeBoth(kHideUp, hide ? 1 : 0);
  emit hideUpChanged(hide);
}

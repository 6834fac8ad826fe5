#include "core/settingsstore.h"

#include "core/jsonhelpers.h"
#include "core/protect.h"
#include "core/settingsdevices.h"

#include <QDebug>
#include <QJsonObject>
#include <QSettings>

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
  m_store = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                        QStringLiteral("brannock"), QStringLiteral("quorvel"));
  m_store->setIniCodec("utf-8");
}

void SettingsStore::resetStore() { m_store.reset(); }

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
  if (m_store->contains(QStringLiteral("phone"))) phone = m_store->value(QStringLiteral("phone")).toString();
  if (m_store->contains(QStringLiteral("password")))
    password = m_store->value(QStringLiteral("password")).toString();
  const QString trimmed = password.trimmed();
  if (storedInt(QStringLiteral("encrypt"), 0) == 1 && !trimmed.isEmpty()) password = unprotectString(trimmed);
}

void SettingsStore::storePassword(const QString &phone, const QString &password) {
  if (!m_store) return;
  QString stored = password;
  if (!password.trimmed().isEmpty()) stored = protectString(password);
  m_store->setValue(QStringLiteral("phone"), phone.trimmed());
  m_store->setValue(QStringLiteral("password"), stored.trimmed());
  m_store->setValue(QStringLiteral("encrypt"), 1);
}

// A stored name wins over the stored index; unless the student turned the default off, the
// system's default device wins over both.
int SettingsStore::resolveAudioIndex(const QString &key, const QStringList &devices,
                                     const QString &defaultName) const {
  int index = storedInt(key, -1);
  const QString nameKey = key + QStringLiteral("_name");
  if (m_store->contains(nameKey)) index = devices.indexOf(m_store->value(nameKey).toString());
  const int useDefault = storedInt(QStringLiteral("use_default_") + key, 1);
  if ((index == -1 || useDefault == 1) && !devices.isEmpty()) index = devices.indexOf(defaultName);
  return index;
}

// A stored camera name only moves the choice when it is found past the first camera.
int SettingsStore::resolveCameraIndex(const QStringList &cameras) const {
  int index = storedInt(QStringLiteral("camera_index"), -1);
  if (index == -1 && !cameras.isEmpty()) index = 0;
  if (m_store->contains(QStringLiteral("camera_name"))) {
    const int position = cameras.indexOf(m_store->value(QStringLiteral("camera_name")).toString());
    if (position > 0) index = position;
  }
  return index;
}

void SettingsStore::loadSetting() {
  openStore();
  m_devices->refresh();
  m_current.insert(QStringLiteral("mic"),
                   resolveAudioIndex(QStringLiteral("mic"), m_devices->inputNames(), m_devices->defaultInputName()));
  m_current.insert(QStringLiteral("mic_vol"), storedInt(QStringLiteral("mic_vol"), 100));
  m_current.insert(QStringLiteral("speaker"), resolveAudioIndex(QStringLiteral("speaker"), m_devices->outputNames(),
                                                                m_devices->defaultOutputName()));
  m_current.insert(QStringLiteral("speaker_vol"), storedInt(QStringLiteral("speaker_vol"), 100));
  m_current.insert(QStringLiteral("camera_index"), resolveCameraIndex(m_devices->cameraDescriptions()));
  m_current.insert(QStringLiteral("disable_camera"), storedInt(QStringLiteral("disable_camera"), 0));
  m_current.insert(QStringLiteral("hide_up"), storedInt(QStringLiteral("hide_up"), 0));
  // Compact, so that the record stays on one log line.
  qDebug().noquote() << QStringLiteral("loadSetting:") + jsonToCompactText(QJsonObject::fromVariantMap(m_current));
}

void SettingsStore::writeInput(int micIndex, int value) {
  m_devices->selectInput(micIndex, value);
  writeBoth(QStringLiteral("mic"), micIndex);
  writeBoth(QStringLiteral("mic_vol"), value);
  writeBoth(QStringLiteral("mic_name"), nameAt(m_devices->inputNames(), micIndex));
}

void SettingsStore::writeOutput(int speakerIndex, int value) {
  m_devices->selectOutput(speakerIndex, value);
  writeBoth(QStringLiteral("speaker"), speakerIndex);
  writeBoth(QStringLiteral("speaker_vol"), value);
  writeBoth(QStringLiteral("speaker_name"), nameAt(m_devices->outputNames(), speakerIndex));
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
  writeBoth(QStringLiteral("camera_index"), cameraIndex);
  writeBoth(QStringLiteral("camera_name"), cameraName(cameraIndex));
  emit cameraChanged(cameraIndex);
}

void SettingsStore::setDisableCamera(bool disable) {
  if (!m_store) return;
  writeBoth(QStringLiteral("disable_camera"), disable ? 1 : 0);
  // The camera keys are refreshed in the file only; the map already holds the index.
  const int index = m_current.value(QStringLiteral("camera_index")).toInt();
  m_store->setValue(QStringLiteral("camera_index"), index);
  m_store->setValue(QStringLiteral("camera_name"), cameraName(index));
  emit disableCameraChanged(disable);
}

void SettingsStore::setHideUp(bool hide) {
  if (!m_store) return;
  writeBoth(QStringLiteral("hide_up"), hide ? 1 : 0);
  emit hideUpChanged(hide);
}

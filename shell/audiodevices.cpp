#include "shell/audiodevices.h"

#include "av/audiohelper.h"

AudioDevices::AudioDevices() = default;

AudioDevices::~AudioDevices() = default;

void AudioDevices::refresh() {
  helper_.reset();
  helper_ = std::make_unique<AudioHelper>();
}

QStringList AudioDevices::inputNames() const {
  QStringList names;
  if (helper_)
    for (const QAudioDeviceInfo &d : helper_->inputDevices()) names << d.deviceName();
  return names;
}

QStringList AudioDevices::outputNames() const {
  QStringList names;
  if (helper_)
    for (const QAudioDeviceInfo &d : helper_->outputDevices()) names << d.deviceName();
  return names;
}

QStringList AudioDevices::cameraDescriptions() const {
  QStringList names;
  if (helper_)
    for (const QCameraInfo &c : helper_->cameras()) names << c.description();
  return names;
}

QString AudioDevices::defaultInputName() const {
  return helper_ ? helper_->defaultInputName() : QString();
}

QString AudioDevices::defaultOutputName() const {
  return helper_ ? helper_->defaultOutputName() : QString();
}

void AudioDevices::selectInput(int index, int volume) {
  if (helper_) helper_->setMicTestVolume(index, volume);
}

void AudioDevices::selectOutput(int index, int volume) {
  if (helper_) helper_->setSpeakerTestVolume(index, volume);
}

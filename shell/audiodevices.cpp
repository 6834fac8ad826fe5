#include "shell/audiodevices.h"

#include "av/audiohelper.h"
#include "sdk/live/ilive.h"

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

// The classroom opens cameras by their position in the live SDK's list, which adds the
// test-pattern camera to the machine's; the stored index must count the same list.
QStringList AudioDevices::cameraDescriptions() const {
  QStringList names;
  ilive::Vector<ilive::Pair<ilive::String, ilive::String>> cameras;
  if (GetILive()->getCameraList(cameras) == 0) {
    for (size_t i = 0; i < cameras.size(); ++i) names << QString::fromUtf8(cameras[i].second.c_str());
    return names;
  }
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

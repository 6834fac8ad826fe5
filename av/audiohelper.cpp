#include "av/audiohelper.h"

#include "sdk/live/devicecatalog.h"

#include <QAudioInput>
#include <QAudioOutput>
#include <QTimer>
#include <QtDebug>

namespace {

constexpr int kLoopbackDelayMs = 200;

QAudioFormat pcmMono16(int sampleRate) {
  QAudioFormat f;
  f.setSampleRate(sampleRate);
  f.setChannelCount(1);
  f.setSampleSize(16);
  f.setCodec(QStringLiteral("audio/pcm"));
  f.setByteOrder(QAudioFormat::LittleEndian);
  f.setSampleType(QAudioFormat::SignedInt);
  return f;
}

qreal level(int volume) { return volume / 100.0; }

int indexOfName(const QList<QAudioDeviceInfo> &devices, const QString &name) {
  for (int i = 0; i < devices.size(); ++i)
    if (devices.at(i).deviceName() == name) return i;
  return -1;
}

bool inRange(int index, int size) { return index >= 0 && index < size; }

} // namespace

AudioHelper::AudioHelper(QObject *parent)
    : QObject(parent), inputs(ilivesdk::audioDeviceList(QAudio::AudioInput)),
      outputs(ilivesdk::audioDeviceList(QAudio::AudioOutput)),
      cameraList(QCameraInfo::availableCameras()), loopbackDelay(new QTimer(this)) {
  loopbackDelay->setSingleShot(true);
  loopbackDelay->setInterval(kLoopbackDelayMs);
  connect(loopbackDelay, &QTimer::timeout, this, &AudioHelper::startLoopbackOutput);
}

AudioHelper::~AudioHelper() {
  deleteOutput();
  deleteInput();
}

int AudioHelper::cameraIndex(const QString &description) const {
  for (int i = 0; i < cameraList.size(); ++i)
    if (cameraList.at(i).description() == description) return i;
  return -1;
}

int AudioHelper::inputIndex(const QString &name) const { return indexOfName(inputs, name); }
int AudioHelper::outputIndex(const QString &name) const { return indexOfName(outputs, name); }

QString AudioHelper::defaultInputName() const {
  return QAudioDeviceInfo::defaultInputDevice().deviceName();
}

QString AudioHelper::defaultOutputName() const {
  return QAudioDeviceInfo::defaultOutputDevice().deviceName();
}

QAudioFormat AudioHelper::micTestFormat() { return pcmMono16(8000); }
QAudioFormat AudioHelper::speakerTestFormat() { return pcmMono16(44100); }

void AudioHelper::deleteOutput() {
  loopbackDelay->stop();
  outputIsLoopback = false;
  if (!output) return;
  output->stop();
  delete output;
  output = nullptr;
}

void AudioHelper::deleteInput() {
  if (!input) return;
  // The loopback output reads the input's device, which goes with the input.
  if (outputIsLoopback) deleteOutput();
  input->stop();
  delete input;
  input = nullptr;
}

void AudioHelper::micTest(int micIndex, int speakerIndex, int micVol, int speakerVol) {
  if (!inRange(micIndex, inputs.size()) || !inRange(speakerIndex, outputs.size())) return;
  format = micTestFormat();
  deleteOutput();
  deleteInput();
  input = new QAudioInput(inputs.at(micIndex), format, this);
  output = new QAudioOutput(outputs.at(speakerIndex), format, this);
  input->setVolume(level(micVol));
  output->setVolume(level(speakerVol));
  outputIsLoopback = true;
  recorded = input->start();
  loopbackDelay->start();
}

void AudioHelper::startLoopbackOutput() {
  if (output && outputIsLoopback && recorded) output->start(recorded);
}

void AudioHelper::speakerTest(int index, const QString &fileName, int volume) {
  if (!inRange(index, outputs.size())) return;
  format = speakerTestFormat();
  deleteOutput();
  soundFile.close();
  soundFile.setFileName(fileName);
  if (!soundFile.open(QIODevice::ReadOnly)) {
    qDebug().noquote() << "AudioHelper::speakerTest cannot open" << fileName;
    return;
  }
  output = new QAudioOutput(outputs.at(index), format, this);
  output->setVolume(level(volume));
  output->start(&soundFile);
}

void AudioHelper::setMicTestVolume(int, int volume) {
  if (input) input->setVolume(level(volume));
}

void AudioHelper::setSpeakerTestVolume(int, int volume) {
  if (output) output->setVolume(level(volume));
}

void AudioHelper::stopMicTest() { deleteInput(); }

void AudioHelper::stopSpeakerTest() {
  deleteOutput();
  soundFile.close();
}

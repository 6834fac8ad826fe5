#include "sdk/live/speakeroutput.h"

#include "sdk/live/devicecatalog.h"

#include <QAudioOutput>

namespace ilivesdk {

SpeakerOutput::SpeakerOutput(QObject *parent) : QObject(parent) {}

SpeakerOutput::~SpeakerOutput() { stop(); }

bool SpeakerOutput::start(const QAudioDeviceInfo &device, int volume) {
  stop();
  const QAudioFormat format = voiceFormat();
  if (device.isNull() || !device.isFormatSupported(format))
    return false;
  m_output = std::make_unique<QAudioOutput>(device, format);
  m_output->setBufferSize(format.bytesForDuration(100000)); // 100 ms keeps the delay short
  m_output->setVolume(qBound(0, volume, 100) / 100.0);
  m_mixer.clear();
  m_output->start(&m_mixer);
  if (m_output->error() != QAudio::NoError) {
    stop();
    return false;
  }
  return true;
}

void SpeakerOutput::stop() {
  if (m_output) {
    m_output->stop();
    m_output.reset();
  }
  m_mixer.clear();
}

void SpeakerOutput::setVolume(int volume) {
  if (m_output)
    m_output->setVolume(qBound(0, volume, 100) / 100.0);
}

void SpeakerOutput::play(const QByteArray &owner, const QByteArray &pcm) {
  if (m_output)
    m_mixer.push(owner, pcm);
}

} // namespace ilivesdk

#include "sdk/live/speakeroutput.h"

#include "sdk/live/speakerstream.h"

#include <algorithm>

namespace ilivesdk {

SpeakerOutput::SpeakerOutput(QObject *parent) : QObject(parent) {}

SpeakerOutput::~SpeakerOutput() {
  stop();
  m_ending.clear();
}

bool SpeakerOutput::start(const QAudioDeviceInfo &device, int volume) {
  stop();
  auto stream = std::make_unique<SpeakerStream>();
  if (!stream->start(device, volume)) {
    stream->end();
    m_ending.push_back(std::move(stream));
    return false;
  }
  m_stream = std::move(stream);
  return true;
}

void SpeakerOutput::stop() {
  if (m_stream) {
    m_stream->end();
    m_ending.push_back(std::move(m_stream));
  }
  forgetEnded();
}

void SpeakerOutput::forgetEnded() {
  m_ending.erase(std::remove_if(m_ending.begin(), m_ending.end(),
                                [](const std::unique_ptr<SpeakerStream> &s) { return s->isGone(); }),
                 m_ending.end());
}

void SpeakerOutput::setVolume(int volume) {
  if (m_stream)
    m_stream->setVolume(volume);
}

void SpeakerOutput::play(const QByteArray &owner, const QByteArray &pcm) {
  if (m_stream)
    m_stream->push(owner, pcm);
}

} // namespace ilivesdk

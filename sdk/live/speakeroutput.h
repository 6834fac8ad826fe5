#pragma once
// Plays the room's voices on the chosen speaker through an AudioMixer.

#include "sdk/live/audiomixer.h"

#include <QAudioDeviceInfo>
#include <QObject>

#include <memory>

class QAudioOutput;

namespace ilivesdk {

class SpeakerOutput : public QObject {
  Q_OBJECT
public:
  explicit SpeakerOutput(QObject *parent = nullptr);
  ~SpeakerOutput() override;

  bool start(const QAudioDeviceInfo &device, int volume); // false when it cannot play
  void stop();
  bool isRunning() const { return m_output != nullptr; }
  void setVolume(int volume); // 0..100
  void play(const QByteArray &owner, const QByteArray &pcm);

private:
  AudioMixer m_mixer;
  std::unique_ptr<QAudioOutput> m_output;
};

} // namespace ilivesdk

#pragma once
// Plays the room's voices on the chosen speaker. Each start opens a new SpeakerStream; a stop
// returns at once and leaves the old stream to finish on its own thread.

#include <QAudioDeviceInfo>
#include <QObject>

#include <memory>
#include <vector>

namespace ilivesdk {

class SpeakerStream;

class SpeakerOutput : public QObject {
  Q_OBJECT
public:
  explicit SpeakerOutput(QObject *parent = nullptr);
  ~SpeakerOutput() override; // waits for the streams still ending

  bool start(const QAudioDeviceInfo &device, int volume); // false when it cannot play
  void stop();
  bool isRunning() const { return m_stream != nullptr; }
  void setVolume(int volume); // 0..100
  void play(const QByteArray &owner, const QByteArray &pcm);

private:
  void forgetEnded();

  std::unique_ptr<SpeakerStream> m_stream;
  std::vector<std::unique_ptr<SpeakerStream>> m_ending;
};

} // namespace ilivesdk

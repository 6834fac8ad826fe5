#pragma once
// One opening of the speaker: an audio output on a thread of its own, fed by its own mixer.
// Ending it is only posted: the output plays out what it has buffered (as long as the device's
// latency) and some backends run the event loop while an output is destroyed, so neither may
// happen on the thread that asked for the end.

#include "sdk/live/audiomixer.h"

#include <QAudioDeviceInfo>
#include <QObject>
#include <QThread>

class QAudioOutput;

namespace ilivesdk {

class SpeakerStream {
public:
  SpeakerStream();
  ~SpeakerStream(); // ends the stream if needed and waits until the output is gone
  SpeakerStream(const SpeakerStream &) = delete;
  SpeakerStream &operator=(const SpeakerStream &) = delete;

  bool start(const QAudioDeviceInfo &device, int volume); // once; false when it cannot play
  void setVolume(int volume);                             // 0..100
  void push(const QByteArray &owner, const QByteArray &pcm) { m_mixer.push(owner, pcm); }
  void end();
  bool isGone() const { return m_thread.isFinished(); }

private:
  QThread m_thread;
  QObject m_context; // lives on m_thread: what is posted there
  AudioMixer m_mixer;
  QAudioOutput *m_output = nullptr; // created, used and deleted on m_thread only
  bool m_ended = false;
};

} // namespace ilivesdk

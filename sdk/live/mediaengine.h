#pragma once
// The SDK's media thread: the opened camera, microphone and speaker, the conversion of frames
// to the chosen colour format, the local and remote video callbacks, and what is published.
// Every method runs on the engine's own thread (callers post to it).

#include "protocol/mediaframe.h"
#include "sdk/live/ilive.h"
#include "sdk/live/videoconverter.h"

#include <QObject>

#include <functional>
#include <memory>

namespace ilivesdk {

class LiveCallbacks;
class MicCapture;
class QtCameraSource;
class SpeakerOutput;
class TestPatternCamera;

class MediaEngine : public QObject {
  Q_OBJECT
public:
  using FrameSink = std::function<void(const hubproto::MediaFrame &frame)>;
  MediaEngine(const LiveCallbacks *callbacks, QObject *parent = nullptr);
  ~MediaEngine() override;

  void setFrameSink(FrameSink sink) { m_sink = std::move(sink); }
  void setLocalUser(const QByteArray &userId) { m_localUser = userId; }

  void openCamera(const QString &deviceId);
  void closeCamera();
  void openMic(const QString &deviceId, int volume);
  void closeMic();
  void openSpeaker(const QString &deviceId, int volume);
  void closeSpeaker();
  void setMicVolume(int volume);
  void setSpeakerVolume(int volume);

  // What goes to the hub: camera video and/or microphone audio.
  void setPublishing(bool camera, bool audio);
  void setRemoteEnabled(bool enabled);
  void onRemoteFrame(const hubproto::MediaFrame &frame);
  void shutdown();

private:
  void onCameraFrame(const QByteArray &i420, int width, int height);
  void onMicChunk(const QByteArray &pcm);
  void deliverVideo(bool local, const QByteArray &owner, const QByteArray &i420, int width, int height,
                    ilive::VideoSrc source, int rotation, quint32 timestamp);
  void report(ilive::DeviceOperation op, int result) const;
  quint32 nowMs() const;

  const LiveCallbacks *m_callbacks;
  FrameSink m_sink;
  QByteArray m_localUser;
  std::unique_ptr<TestPatternCamera> m_pattern;
  std::unique_ptr<QtCameraSource> m_camera;
  std::unique_ptr<MicCapture> m_mic;
  std::unique_ptr<SpeakerOutput> m_speaker;
  VideoConverter m_localConverter;
  VideoConverter m_remoteConverter;
  bool m_publishCamera = false;
  bool m_publishAudio = false;
  bool m_remoteEnabled = true;
};

} // namespace ilivesdk

#pragma once
// The SDK's media thread: the opened camera, microphone and speaker, the conversion of frames
// to the chosen colour format, the local and remote video callbacks, and what is published.
// What goes out is encoded once per source (VP8, Opus); what comes in is decoded once per
// stream, so the callbacks still see I420. Every method runs on the engine's own thread
// (callers post to it).

#include "protocol/mediaframe.h"
#include "sdk/live/ilive.h"
#include "sdk/live/videoconverter.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>

namespace media {
class StreamDecoders;
class StreamEncoders;
class VoiceReceiver;
} // namespace media

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
  // Asks the publisher of a received stream for a keyframe (through the hub).
  using KeyframeAsker = std::function<void(const QString &owner, hubproto::Source source)>;
  MediaEngine(const LiveCallbacks *callbacks, QObject *parent = nullptr);
  ~MediaEngine() override;

  void setFrameSink(FrameSink sink) { m_sink = std::move(sink); }
  void setKeyframeAsker(KeyframeAsker asker) { m_askKeyframe = std::move(asker); }
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
  // A subscriber of our camera needs a keyframe.
  void requestKeyframe(hubproto::Source source);
  // Also forgets the streams received so far (a new room has new streams).
  void setRemoteEnabled(bool enabled);
  void onRemoteFrame(const hubproto::MediaFrame &frame);
  // A member's stream ended: its decoder goes.
  void forgetStream(const QByteArray &owner, hubproto::Source source);
  void shutdown();

private:
  void onCameraFrame(const QByteArray &i420, int width, int height);
  void onMicChunk(const QByteArray &pcm);
  void onRemoteVoice(const hubproto::MediaFrame &frame);
  void playVoices();
  void sendAll(const QList<hubproto::MediaFrame> &frames) const;
  void deliverVideo(bool local, const QByteArray &owner, const QByteArray &i420, int width, int height,
                    ilive::VideoSrc source, int rotation, quint32 timestamp);
  void report(ilive::DeviceOperation op, int result) const;
  quint32 nowMs() const;

  const LiveCallbacks *m_callbacks;
  FrameSink m_sink;
  KeyframeAsker m_askKeyframe;
  QByteArray m_localUser;
  std::unique_ptr<TestPatternCamera> m_pattern;
  std::unique_ptr<QtCameraSource> m_camera;
  std::unique_ptr<MicCapture> m_mic;
  std::unique_ptr<SpeakerOutput> m_speaker;
  VideoConverter m_localConverter;
  VideoConverter m_remoteConverter;
  std::unique_ptr<media::StreamEncoders> m_out;
  std::unique_ptr<media::StreamDecoders> m_videoIn;
  std::map<QByteArray, std::unique_ptr<media::VoiceReceiver>> m_voiceIn; // by owner
  QTimer m_voiceClock; // plays 20 ms of every received voice per tick
  bool m_publishCamera = false;
  bool m_publishAudio = false;
  bool m_remoteEnabled = true;
};

} // namespace ilivesdk

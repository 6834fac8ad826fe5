#include "sdk/live/mediaengine.h"

#include "sdk/live/devicecatalog.h"
#include "sdk/live/guipost.h"
#include "sdk/live/livecallbacks.h"
#include "sdk/live/miccapture.h"
#include "sdk/live/qtcamerasource.h"
#include "sdk/live/speakeroutput.h"
#include "sdk/live/testpatterncamera.h"
#include "sdk/media/mediaformat.h"
#include "sdk/media/streamdecoders.h"
#include "sdk/media/streamencoders.h"
#include "sdk/media/voicereceiver.h"

#include <QDateTime>

namespace ilivesdk {

MediaEngine::MediaEngine(const LiveCallbacks *callbacks, QObject *parent)
    : QObject(parent), m_callbacks(callbacks), m_out(std::make_unique<media::StreamEncoders>()),
      m_videoIn(std::make_unique<media::StreamDecoders>([this](const QString &owner, hubproto::Source source) {
        if (m_askKeyframe)
          m_askKeyframe(owner, source);
      })),
      m_voiceClock(this) {
  m_voiceClock.setTimerType(Qt::PreciseTimer);
  m_voiceClock.setInterval(media::kOpusFrameMs);
  connect(&m_voiceClock, &QTimer::timeout, this, &MediaEngine::playVoices);
}

MediaEngine::~MediaEngine() { shutdown(); }

quint32 MediaEngine::nowMs() const {
  return static_cast<quint32>(QDateTime::currentMSecsSinceEpoch());
}

void MediaEngine::report(ilive::DeviceOperation op, int result) const {
  const Hook<ilive::DeviceOperationCallback> hook = m_callbacks->deviceOperation();
  if (hook.fn)
    postToGui([hook, op, result] { hook.fn(op, result, hook.data); });
}

void MediaEngine::openCamera(const QString &deviceId) {
  closeCamera();
  auto onFrame = [this](const QByteArray &i420, int w, int h) { onCameraFrame(i420, w, h); };
  if (deviceId == QLatin1String(kTestPatternCameraId)) {
    m_pattern = std::make_unique<TestPatternCamera>(onFrame);
    m_pattern->start();
    report(ilive::DEVICE_OP_OPEN_CAMERA, ilive::NO_ERR);
    return;
  }
  m_camera = std::make_unique<QtCameraSource>(onFrame);
  m_camera->start(deviceId, [this](bool ok) {
    // Reported from inside the camera's own error signal: it may only be deleted once that
    // signal has returned.
    if (!ok && m_camera)
      m_camera.release()->deleteLater();
    report(ilive::DEVICE_OP_OPEN_CAMERA, ok ? ilive::NO_ERR : ilive::ERR_DEVICE_FAILED);
  });
}

void MediaEngine::closeCamera() {
  const bool wasOpen = m_pattern || m_camera;
  m_pattern.reset();
  m_camera.reset();
  if (wasOpen)
    report(ilive::DEVICE_OP_CLOSE_CAMERA, ilive::NO_ERR);
}

void MediaEngine::openMic(const QString &deviceId, int volume) {
  if (!m_mic)
    m_mic = std::make_unique<MicCapture>([this](const QByteArray &pcm) { onMicChunk(pcm); });
  const bool ok = m_mic->start(audioDevice(QAudio::AudioInput, deviceId), volume);
  report(ilive::DEVICE_OP_OPEN_MIC, ok ? ilive::NO_ERR : ilive::ERR_DEVICE_FAILED);
}

void MediaEngine::closeMic() {
  if (m_mic)
    m_mic->stop();
  report(ilive::DEVICE_OP_CLOSE_MIC, ilive::NO_ERR);
}

void MediaEngine::openSpeaker(const QString &deviceId, int volume) {
  if (!m_speaker)
    m_speaker = std::make_unique<SpeakerOutput>();
  const bool ok = m_speaker->start(audioDevice(QAudio::AudioOutput, deviceId), volume);
  report(ilive::DEVICE_OP_OPEN_SPEAKER, ok ? ilive::NO_ERR : ilive::ERR_DEVICE_FAILED);
}

void MediaEngine::closeSpeaker() {
  if (m_speaker)
    m_speaker->stop();
  report(ilive::DEVICE_OP_CLOSE_SPEAKER, ilive::NO_ERR);
}

void MediaEngine::setMicVolume(int volume) {
  if (m_mic)
    m_mic->setVolume(volume);
}

void MediaEngine::setSpeakerVolume(int volume) {
  if (m_speaker)
    m_speaker->setVolume(volume);
}

void MediaEngine::setPublishing(bool camera, bool audio) {
  // A stream that starts again starts with a fresh encoder, and so with a keyframe.
  if (!camera)
    m_out->stop(hubproto::Source::Camera);
  if (!audio)
    m_out->stop(hubproto::Source::Audio);
  m_publishCamera = camera;
  m_publishAudio = audio;
}

void MediaEngine::requestKeyframe(hubproto::Source source) { m_out->requestKeyframe(source); }

void MediaEngine::setRemoteEnabled(bool enabled) {
  m_remoteEnabled = enabled;
  m_videoIn->clear();
  m_voiceIn.clear();
  m_voiceClock.stop();
}

void MediaEngine::sendAll(const QList<hubproto::MediaFrame> &frames) const {
  if (!m_sink)
    return;
  for (const hubproto::MediaFrame &f : frames)
    m_sink(f);
}

void MediaEngine::onCameraFrame(const QByteArray &i420, int width, int height) {
  const quint32 stamp = nowMs();
  deliverVideo(true, m_localUser, i420, width, height, ilive::VIDEO_SRC_CAMERA, 0, stamp);
  if (m_publishCamera)
    sendAll(m_out->video(hubproto::Source::Camera, i420, width, height, stamp));
}

void MediaEngine::onMicChunk(const QByteArray &pcm) {
  if (m_publishAudio)
    sendAll(m_out->voice(pcm, voiceFormat().sampleRate(), nowMs()));
}

void MediaEngine::onRemoteFrame(const hubproto::MediaFrame &frame) {
  if (!m_remoteEnabled)
    return;
  if (frame.kind == hubproto::MediaFrame::Audio) {
    onRemoteVoice(frame);
    return;
  }
  media::Picture picture;
  if (m_videoIn->receive(frame, nowMs(), &picture))
    deliverVideo(false, frame.userId, picture.i420, picture.width, picture.height,
                 static_cast<ilive::VideoSrc>(frame.source), frame.rotation, frame.timestamp);
}

void MediaEngine::onRemoteVoice(const hubproto::MediaFrame &frame) {
  auto it = m_voiceIn.find(frame.userId);
  if (it == m_voiceIn.end()) {
    if (m_voiceIn.size() >= media::StreamDecoders::kMaxStreams)
      return;
    it = m_voiceIn.emplace(frame.userId, std::make_unique<media::VoiceReceiver>(voiceFormat().sampleRate())).first;
  }
  it->second->receive(frame);
  if (!m_voiceClock.isActive())
    m_voiceClock.start();
}

void MediaEngine::playVoices() {
  bool anyPlaying = false;
  for (auto &entry : m_voiceIn) {
    const QByteArray pcm = entry.second->pull();
    anyPlaying = anyPlaying || entry.second->isPlaying();
    if (!pcm.isEmpty() && m_speaker)
      m_speaker->play(entry.first, pcm);
  }
  if (!anyPlaying)
    m_voiceClock.stop(); // started again by the next packet
}

void MediaEngine::forgetStream(const QByteArray &owner, hubproto::Source source) {
  if (source == hubproto::Source::Audio)
    m_voiceIn.erase(owner);
  else
    m_videoIn->forget(owner, source);
}

void MediaEngine::deliverVideo(bool local, const QByteArray &owner, const QByteArray &i420, int width,
                               int height, ilive::VideoSrc source, int rotation, quint32 timestamp) {
  const Hook<ilive::VideoFrameCallback> hook = local ? m_callbacks->localVideo() : m_callbacks->remoteVideo();
  if (!hook.fn)
    return;
  const ilive::ColorFormat format = m_callbacks->colorFormat();
  const QByteArray &pixels =
      format == ilive::COLOR_FORMAT_BGR24
          ? (local ? m_localConverter : m_remoteConverter).toBgr24(i420, width, height)
          : i420;
  if (pixels.isEmpty())
    return;
  ilive::LiveVideoFrame f;
  f.identifier = owner.constData();
  f.colorFormat = format;
  f.width = static_cast<uint32_t>(width);
  f.height = static_cast<uint32_t>(height);
  f.srcType = source;
  f.rotate = static_cast<uint32_t>(rotation);
  f.dataSize = static_cast<uint32_t>(pixels.size());
  f.data = reinterpret_cast<const uint8_t *>(pixels.constData());
  f.timestamp = timestamp;
  hook.fn(&f, hook.data);
}

void MediaEngine::shutdown() {
  m_pattern.reset();
  m_camera.reset();
  m_mic.reset();
  m_speaker.reset();
  m_publishCamera = false;
  m_publishAudio = false;
  m_out->clear();
  m_videoIn->clear();
  m_voiceIn.clear();
  m_voiceClock.stop();
}

} // namespace ilivesdk

#include "sdk/live/mediaengine.h"

#include "sdk/live/devicecatalog.h"
#include "sdk/live/guipost.h"
#include "sdk/live/livecallbacks.h"
#include "sdk/live/miccapture.h"
#include "sdk/live/qtcamerasource.h"
#include "sdk/live/speakeroutput.h"
#include "sdk/live/testpatterncamera.h"

#include <QDateTime>

namespace ilivesdk {

MediaEngine::MediaEngine(const LiveCallbacks *callbacks, QObject *parent)
    : QObject(parent), m_callbacks(callbacks) {}

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
  m_publishCamera = camera;
  m_publishAudio = audio;
}

void MediaEngine::setRemoteEnabled(bool enabled) {
  m_remoteEnabled = enabled;
}

void MediaEngine::onCameraFrame(const QByteArray &i420, int width, int height) {
  const quint32 stamp = nowMs();
  deliverVideo(true, m_localUser, i420, width, height, ilive::VIDEO_SRC_CAMERA, 0, stamp);
  if (!m_publishCamera || !m_sink)
    return;
  m_sink(hubproto::videoFrame(hubproto::Source::Camera, width, height, i420, stamp));
}

void MediaEngine::onMicChunk(const QByteArray &pcm) {
  if (!m_publishAudio || !m_sink)
    return;
  m_sink(hubproto::audioFrame(pcm, 16000, nowMs()));
}

void MediaEngine::onRemoteFrame(const hubproto::MediaFrame &frame) {
  if (!m_remoteEnabled)
    return;
  if (frame.kind == hubproto::MediaFrame::Audio) {
    if (m_speaker)
      m_speaker->play(frame.userId, frame.payload);
    return;
  }
  deliverVideo(false, frame.userId, frame.payload, frame.width, frame.height,
               static_cast<ilive::VideoSrc>(frame.source), frame.rotation, frame.timestamp);
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
}

} // namespace ilivesdk

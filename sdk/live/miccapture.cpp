#include "sdk/live/miccapture.h"

#include "sdk/live/devicecatalog.h"

#include <QAudioInput>

namespace ilivesdk {

MicCapture::MicCapture(ChunkFn onChunk, QObject *parent) : QObject(parent), m_onChunk(std::move(onChunk)) {}

MicCapture::~MicCapture() { stop(); }

bool MicCapture::start(const QAudioDeviceInfo &device, int volume) {
  stop();
  const QAudioFormat format = voiceFormat();
  if (device.isNull() || !device.isFormatSupported(format))
    return false;
  m_input = std::make_unique<QAudioInput>(device, format);
  m_input->setVolume(qBound(0, volume, 100) / 100.0);
  m_device = m_input->start();
  if (!m_device || m_input->error() != QAudio::NoError) {
    stop();
    return false;
  }
  connect(m_device, &QIODevice::readyRead, this, &MicCapture::onReadyRead);
  return true;
}

void MicCapture::stop() {
  if (m_input) {
    m_input->stop();
    m_input.reset();
  }
  m_device = nullptr;
  m_pending.clear();
}

void MicCapture::setVolume(int volume) {
  if (m_input)
    m_input->setVolume(qBound(0, volume, 100) / 100.0);
}

void MicCapture::onReadyRead() {
  if (!m_device)
    return;
  m_pending.append(m_device->readAll());
  while (m_pending.size() >= kChunkBytes) {
    m_onChunk(m_pending.left(kChunkBytes));
    m_pending.remove(0, kChunkBytes);
  }
}

} // namespace ilivesdk

#include "sdk/live/speakerstream.h"

#include "sdk/live/devicecatalog.h"

#include <QAudioOutput>

namespace ilivesdk {

SpeakerStream::SpeakerStream() {
  m_thread.setObjectName(QStringLiteral("tarnwick-speaker"));
  m_context.moveToThread(&m_thread);
  m_thread.start();
}

SpeakerStream::~SpeakerStream() {
  end();
  m_thread.wait();
}

bool SpeakerStream::start(const QAudioDeviceInfo &device, int volume) {
  const QAudioFormat format = voiceFormat();
  if (m_output || m_ended || device.isNull() || !device.isFormatSupported(format))
    return false;
  bool ok = false;
  // Opening on a fresh thread never waits behind an earlier stream's end.
  QMetaObject::invokeMethod(&m_context, [this, &device, &format, volume, &ok] {
    m_output = new QAudioOutput(device, format);
    m_output->setBufferSize(format.bytesForDuration(100000)); // 100 ms keeps the delay short
    m_output->setVolume(qBound(0, volume, 100) / 100.0);
    m_output->start(&m_mixer);
    ok = m_output->error() == QAudio::NoError;
  }, Qt::BlockingQueuedConnection);
  return ok;
}

void SpeakerStream::setVolume(int volume) {
  const qreal level = qBound(0, volume, 100) / 100.0;
  QMetaObject::invokeMethod(&m_context, [this, level] {
    if (m_output)
      m_output->setVolume(level);
  }, Qt::QueuedConnection);
}

void SpeakerStream::end() {
  if (m_ended)
    return;
  m_ended = true;
  QMetaObject::invokeMethod(&m_context, [this] {
    QAudioOutput *output = m_output;
    m_output = nullptr;
    delete output;
    m_thread.quit();
  }, Qt::QueuedConnection);
}

} // namespace ilivesdk

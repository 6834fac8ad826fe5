#include "sdk/live/audiomixer.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <vector>

namespace ilivesdk {

// Unbuffered: QIODevice would otherwise read ahead and hold back silence in front of new voices.
AudioMixer::AudioMixer(QObject *parent) : QIODevice(parent) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }

void AudioMixer::push(const QByteArray &owner, const QByteArray &pcm) {
  QMutexLocker guard(&m_lock);
  QByteArray &queue = m_queues[owner];
  queue.append(pcm.constData(), pcm.size() & ~1);
  if (queue.size() > kMaxQueuedBytes)
    queue.remove(0, (queue.size() - kMaxQueuedBytes) & ~1);
}

void AudioMixer::clear() {
  QMutexLocker guard(&m_lock);
  m_queues.clear();
}

qint64 AudioMixer::queuedBytes(const QByteArray &owner) const {
  QMutexLocker guard(&m_lock);
  return m_queues.value(owner).size();
}

qint64 AudioMixer::bytesAvailable() const {
  return kChunkBytes + QIODevice::bytesAvailable();
}

qint64 AudioMixer::readData(char *data, qint64 maxSize) {
  QMutexLocker guard(&m_lock);
  qint64 longest = 0;
  for (const QByteArray &q : qAsConst(m_queues))
    longest = std::max<qint64>(longest, q.size());
  const qint64 bytes = std::min(maxSize, std::max<qint64>(longest, kChunkBytes)) & ~qint64(1);
  // Sum in full range first and clip once, so the result does not depend on the order.
  std::vector<int> sum(static_cast<size_t>(bytes / 2), 0);
  for (auto it = m_queues.begin(); it != m_queues.end();) {
    QByteArray &q = it.value();
    const int take = static_cast<int>(std::min<qint64>(bytes, q.size())) & ~1;
    for (int i = 0; i < take; i += 2)
      sum[static_cast<size_t>(i / 2)] += qFromLittleEndian<qint16>(q.constData() + i);
    q.remove(0, take);
    it = q.isEmpty() ? m_queues.erase(it) : std::next(it);
  }
  for (size_t i = 0; i < sum.size(); ++i)
    qToLittleEndian<qint16>(static_cast<qint16>(std::clamp(sum[i], -32768, 32767)), data + 2 * i);
  return bytes;
}

} // namespace ilivesdk

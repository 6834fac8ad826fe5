#include "sdk/media/jitterbuffer.h"

#include <QtGlobal>

namespace media {

JitterBuffer::JitterBuffer(int depth, int capacity) : m_depth(qMax(1, depth)), m_capacity(qMax(depth, capacity)) {}

void JitterBuffer::push(quint32 sequence, const QByteArray &packet) {
  if (!m_playing && m_packets.isEmpty())
    m_next = sequence;
  const qint64 key = unwrap(sequence);
  if (key < m_next) {
    if (m_playing) {
      ++m_late; // its slot has been played (or concealed) already
      return;
    }
    m_next = key;
  }
  m_packets.insert(key, packet);
  // A sender that runs ahead of our clock (or a burst after a stall) must not make the delay grow.
  while (m_packets.size() > m_capacity) {
    m_packets.erase(m_packets.begin());
    m_next = qMax(m_next, m_packets.firstKey());
  }
}

JitterBuffer::Slot JitterBuffer::pop(QByteArray *packet) {
  if (!m_playing) {
    if (m_packets.size() < m_depth)
      return Slot::Idle;
    m_playing = true;
    m_next = m_packets.firstKey();
    m_missesInARow = 0;
  }
  const qint64 slot = m_next++;
  auto it = m_packets.find(slot);
  if (it != m_packets.end()) {
    *packet = it.value();
    m_packets.erase(it);
    m_missesInARow = 0;
    return Slot::Packet;
  }
  if (m_packets.isEmpty() && ++m_missesInARow > m_depth) {
    m_playing = false; // the speaker stopped; gather again before playing
    return Slot::Idle;
  }
  return Slot::Missing;
}

} // namespace media

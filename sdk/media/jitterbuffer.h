#pragma once
// Received voice packets wait here until their turn: they come out in sequence order, one per
// 20 ms slot, once a few slots' worth (60 ms) have arrived, so that packets that arrive late or
// out of order still play in place. A slot whose packet is missing is reported as such (the
// decoder conceals it); a stream that stopped goes quiet and fills up again when it resumes.

#include <QByteArray>
#include <QMap>

namespace media {

class JitterBuffer {
public:
  enum class Slot { Packet, Missing, Idle };

  // depth: slots to gather before playing; capacity: slots kept at most (older ones go).
  explicit JitterBuffer(int depth, int capacity = 12);

  void push(quint32 sequence, const QByteArray &packet);
  // The next slot: its packet, a missing packet to conceal, or nothing to play.
  Slot pop(QByteArray *packet);

  bool isPlaying() const { return m_playing; }
  int queued() const { return m_packets.size(); }
  quint64 late() const { return m_late; }

private:
  // Sequence numbers are unwrapped around the next slot, so that wrapping at 2^32 is harmless.
  qint64 unwrap(quint32 sequence) const {
    return m_next + static_cast<qint32>(sequence - static_cast<quint32>(m_next));
  }

  int m_depth;
  int m_capacity;
  QMap<qint64, QByteArray> m_packets; // by unwrapped sequence
  qint64 m_next = 0;
  bool m_playing = false;
  int m_missesInARow = 0;
  quint64 m_late = 0;
};

} // namespace media

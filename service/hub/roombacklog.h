#pragma once
// The last IM messages of one room as the hub delivered them, by sequence number, so a member
// whose link dropped can ask for what it missed. Capped in count and bytes: the oldest go.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <deque>
#include <functional>

class RoomBacklog {
public:
  struct Entry {
    quint64 seq = 0;
    QString from;
    QString to;     // empty: the room's group; otherwise the one receiver
    QString msgKey; // the sender's own key for the message, empty when none
    QByteArray bytes; // the notice as delivered
  };

  // firstSeq: the hub's next sequence number when the room opened; nothing before it was here.
  RoomBacklog(quint64 firstSeq, int maxMessages, qint64 maxBytes);

  void append(Entry entry);
  // The sequence number of the sender's message with that key, or 0.
  quint64 seqOfKey(const QString &from, const QString &msgKey) const;
  // Hands out, oldest first, every message after `after` that userId would have received.
  // Returns false when messages after `after` have already gone (or predate the room).
  bool replay(quint64 after, const QString &userId, const std::function<void(const QByteArray &)> &deliver) const;

  int size() const { return static_cast<int>(m_entries.size()); }
  qint64 bytes() const { return m_bytes; }

private:
  std::deque<Entry> m_entries;
  quint64 m_firstKept; // the smallest sequence number still answerable
  const int m_maxMessages;
  const qint64 m_maxBytes;
  qint64 m_bytes = 0;
};

#include "service/hub/roombacklog.h"

RoomBacklog::RoomBacklog(quint64 firstSeq, int maxMessages, qint64 maxBytes)
    : m_firstKept(firstSeq), m_maxMessages(qMax(0, maxMessages)), m_maxBytes(qMax<qint64>(0, maxBytes)) {}

void RoomBacklog::append(Entry entry) {
  m_bytes += entry.bytes.size();
  m_entries.push_back(std::move(entry));
  while (!m_entries.empty() && (size() > m_maxMessages || m_bytes > m_maxBytes)) {
    m_bytes -= m_entries.front().bytes.size();
    m_firstKept = m_entries.front().seq + 1;
    m_entries.pop_front();
  }
}

quint64 RoomBacklog::seqOfKey(const QString &from, const QString &msgKey) const {
  if (msgKey.isEmpty())
    return 0;
  for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
    if (it->msgKey == msgKey && it->from == from)
      return it->seq;
  return 0;
}

bool RoomBacklog::replay(quint64 after, const QString &userId,
                         const std::function<void(const QByteArray &)> &deliver) const {
  for (const Entry &e : m_entries) {
    if (e.seq <= after)
      continue;
    const bool forUser = e.to.isEmpty() ? e.from != userId : e.to == userId;
    if (forUser)
      deliver(e.bytes);
  }
  return after + 1 >= m_firstKept;
}

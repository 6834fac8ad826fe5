#include "service/hub/whiteboardhistory.h"

#include <QJsonDocument>

#include <algorithm>

const char WhiteboardHistory::kExt[] = "TXWhiteBoardExt";

void WhiteboardHistory::setLimits(const WhiteboardHistoryLimits &limits) {
  QMutexLocker lock(&m_mutex);
  m_limits = limits;
}

void WhiteboardHistory::dropOldest(Room &room) {
  room.bytes -= room.entries.front().size();
  m_total -= room.entries.front().size();
  room.entries.pop_front();
  ++room.first;
}

// The room that holds the most gives way first, so one busy board cannot empty the others.
void WhiteboardHistory::trimTotal() {
  while (m_total > m_limits.maxTotalBytes) {
    auto largest = std::max_element(m_rooms.begin(), m_rooms.end(),
                                    [](const auto &a, const auto &b) { return a.second.bytes < b.second.bytes; });
    if (largest == m_rooms.end() || largest->second.entries.empty())
      return;
    dropOldest(largest->second);
  }
}

void WhiteboardHistory::append(quint32 roomId, const QByteArray &encoded) {
  QMutexLocker lock(&m_mutex);
  Room &room = m_rooms[roomId];
  room.entries.push_back(encoded);
  room.bytes += encoded.size();
  m_total += encoded.size();
  while (!room.entries.empty() &&
         (int(room.entries.size()) > m_limits.maxMessages || room.bytes > m_limits.maxRoomBytes))
    dropOldest(room);
  trimTotal();
}

WhiteboardHistory::Page WhiteboardHistory::page(quint32 roomId, qint64 from) const {
  QMutexLocker lock(&m_mutex);
  Page out;
  auto it = m_rooms.find(roomId);
  if (it == m_rooms.end())
    return out;
  const Room &room = it->second;
  const qint64 end = room.first + qint64(room.entries.size());
  qint64 at = std::max(from, room.first);
  qint64 bytes = 0;
  for (; at < end; ++at) {
    const QByteArray &entry = room.entries[size_t(at - room.first)];
    if (!out.messages.isEmpty() && bytes + entry.size() > m_limits.pageBytes)
      break;
    bytes += entry.size();
    out.messages.append(QJsonDocument::fromJson(entry).object());
  }
  out.next = at < end ? at : -1;
  return out;
}

QJsonArray WhiteboardHistory::messages(quint32 roomId) const {
  QJsonArray out;
  for (qint64 from = 0; from >= 0;) {
    const Page p = page(roomId, from);
    for (const QJsonValue &v : p.messages)
      out.append(v);
    from = p.next;
  }
  return out;
}

int WhiteboardHistory::count(quint32 roomId) const {
  QMutexLocker lock(&m_mutex);
  auto it = m_rooms.find(roomId);
  return it == m_rooms.end() ? 0 : int(it->second.entries.size());
}

qint64 WhiteboardHistory::bytes(quint32 roomId) const {
  QMutexLocker lock(&m_mutex);
  auto it = m_rooms.find(roomId);
  return it == m_rooms.end() ? 0 : it->second.bytes;
}

qint64 WhiteboardHistory::totalBytes() const {
  QMutexLocker lock(&m_mutex);
  return m_total;
}

#include "service/hub/whiteboardhistory.h"

const char WhiteboardHistory::kExt[] = "TXWhiteBoardExt";

void WhiteboardHistory::setLimits(const WhiteboardHistoryLimits &limits) {
  QMutexLocker lock(&m_mutex);
  m_limits = limits;
}

void WhiteboardHistory::append(quint32 roomId, const QJsonObject &message, qint64 bytes) {
  QMutexLocker lock(&m_mutex);
  Room &room = m_rooms[roomId];
  room.entries.push_back(Entry{message, bytes});
  room.bytes += bytes;
  while (!room.entries.empty() &&
         (int(room.entries.size()) > m_limits.maxMessages || room.bytes > m_limits.maxBytes)) {
    room.bytes -= room.entries.front().bytes;
    room.entries.pop_front();
  }
}

QJsonArray WhiteboardHistory::messages(quint32 roomId) const {
  QMutexLocker lock(&m_mutex);
  QJsonArray out;
  auto it = m_rooms.find(roomId);
  if (it != m_rooms.end())
    for (const Entry &e : it->second.entries)
      out.append(e.message);
  return out;
}

int WhiteboardHistory::count(quint32 roomId) const {
  QMutexLocker lock(&m_mutex);
  auto it = m_rooms.find(roomId);
  return it == m_rooms.end() ? 0 : int(it->second.entries.size());
}

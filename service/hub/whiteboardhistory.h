#pragma once
// Per room, the whiteboard messages (offline-push extension "TXWhiteBoardExt") sent to its
// group, oldest first, so that a member who comes in late can replay the board. Bounded per
// room by count and bytes; the oldest go first. Any thread.

#include <QJsonArray>
#include <QJsonObject>
#include <QMutex>

#include <deque>
#include <map>

struct WhiteboardHistoryLimits {
  int maxMessages = 20000;
  qint64 maxBytes = 64 << 20;
};

class WhiteboardHistory {
public:
  static const char kExt[]; // "TXWhiteBoardExt"

  void setLimits(const WhiteboardHistoryLimits &limits);
  // message is the hub's "message" notice as the room's members received it.
  void append(quint32 roomId, const QJsonObject &message, qint64 bytes);
  QJsonArray messages(quint32 roomId) const;
  int count(quint32 roomId) const;

private:
  struct Entry {
    QJsonObject message;
    qint64 bytes;
  };
  struct Room {
    std::deque<Entry> entries;
    qint64 bytes = 0;
  };
  mutable QMutex m_mutex;
  WhiteboardHistoryLimits m_limits;
  std::map<quint32, Room> m_rooms;
};

#pragma once
// Per room, the whiteboard messages (offline-push extension "TXWhiteBoardExt") sent to its
// group, oldest first, so that a member who comes in late can replay the board. Kept as the
// encoded notices the members received and weighed by that size, bounded per room and over all
// rooms (the oldest go first, from the room that holds the most), and served in pages. Any
// thread.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QMutex>

#include <deque>
#include <map>

struct WhiteboardHistoryLimits {
  int maxMessages = 20000;          // per room
  qint64 maxRoomBytes = 32 << 20;   // encoded bytes per room
  qint64 maxTotalBytes = 128 << 20; // encoded bytes of all rooms together
  qint64 pageBytes = 4 << 20;       // a page holds at least one message, else at most this
};

class WhiteboardHistory {
public:
  static const char kExt[]; // "TXWhiteBoardExt"

  struct Page {
    QJsonArray messages;
    qint64 next = -1; // where the next page starts; -1 when this is the last
  };

  void setLimits(const WhiteboardHistoryLimits &limits);
  // encoded is the hub's "message" notice as the room's members received it.
  void append(quint32 roomId, const QByteArray &encoded);
  // The messages from position `from` on (positions count every message the room ever kept,
  // so a page asked for after older ones went starts at the oldest still kept).
  Page page(quint32 roomId, qint64 from) const;
  // Every kept message of the room, oldest first.
  QJsonArray messages(quint32 roomId) const;
  int count(quint32 roomId) const;
  qint64 bytes(quint32 roomId) const;
  qint64 totalBytes() const;

private:
  struct Room {
    std::deque<QByteArray> entries;
    qint64 first = 0; // position of entries.front()
    qint64 bytes = 0;
  };
  void dropOldest(Room &room);
  void trimTotal();

  mutable QMutex m_mutex;
  WhiteboardHistoryLimits m_limits;
  std::map<quint32, Room> m_rooms;
  qint64 m_total = 0;
};

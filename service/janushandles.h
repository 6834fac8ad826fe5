#pragma once
// Which handle each participant of the classes' rooms sits on, and the tag that handle was
// attached with (its "opaque_id", which a member's client makes from its own Janus token), as
// Janus's Admin API tells them. A participant's id and display say whose feed it claims; the
// tag says whose token opened its handle, which nobody else can fake.
//
// A handle's tag never changes, and neither does its participant once it joined: VideoRoom
// takes no second join on a handle, not even after a leave or a kick. So each handle is asked
// about (handle_info) until it has joined a room or subscribed, and after that only looked for
// in its session's list: a pass costs one request for Janus's sessions, one per session, and
// one per handle that is new or has not joined yet. A handle that left or was kicked while it
// stays attached still claims its old id here; when a new participant takes that id, both
// claimants are asked about again, and the one no longer in the room drops out. Used from one
// thread (the guard's).

#include <QHash>
#include <QPair>
#include <QString>

class JanusApi;
class QJsonObject;

class JanusHandles {
public:
  explicit JanusHandles(JanusApi &api) : m_api(api) {}

  // Looks at Janus's sessions and handles again; false with *error when Janus could not be
  // asked (what was known stays).
  bool refresh(QString *error);
  // The tag of the handle that sits in roomId as participant feedId, as of the last refresh;
  // false when no handle does (it joined since, or left).
  bool tagOf(quint32 roomId, quint64 feedId, QString *tag) const;
  // Admin API requests the last refresh made.
  int lastRequests() const { return m_requests; }

private:
  struct Handle {
    quint64 session = 0;
    bool settled = false; // joined or subscribed: only leaving can change it
    quint32 room = 0;     // 0: not a publisher in a room
    quint64 feed = 0;
    QString tag;
  };
  bool listHandles(quint64 session, QHash<quint64, Handle> *seen, QString *error);
  // Rebuilds m_byFeed: a (room, feed) two handles claim goes to the one that still holds it.
  void index();
  // Asks about a handle again; whether it still sits in a room.
  bool stillJoined(quint64 handle);
  // Reads handle_info into h; false with *error when Janus could not say, and *gone set when
  // the handle went in the meantime.
  bool readHandle(quint64 handle, Handle *h, bool *gone, QString *error);

  JanusApi &m_api;
  QHash<quint64, Handle> m_handles;                   // by handle id
  QHash<QPair<quint32, quint64>, quint64> m_byFeed;  // (room, feed) → handle id
  int m_requests = 0;
};

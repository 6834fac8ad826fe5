#pragma once
// What the XMPP transport hands on, once each and in the order the server archived it. The
// room (and, one to one, the receiver's own archive) stamps every message with an archive id
// that grows with time; a message at or before the last id taken from its archive was seen
// already. After a cut the archive's catch-up and the live stream overlap: while the
// catch-up runs, arrivals are held and then released in archive order.

#include "protocol/immessage.h"

#include <QHash>
#include <QString>
#include <QVector>

namespace xmppim {

class Inbox {
public:
  // More than this many held arrivals are a server flooding us: the oldest go first.
  static constexpr int kMaxHeld = 5000;

  struct Arrival {
    QString archive;  // who stamped the id (a room's JID, the user's own bare JID)
    QString id;       // the archive id; empty when unstamped (handed on, never deduplicated)
    bool deliver = true; // false: only marks the id as seen (our own messages, refused ones)
    hubproto::ImMessage message;
  };

  void hold();
  // What can be handed on now, in order (nothing while held).
  QVector<hubproto::ImMessage> arrive(Arrival arrival);
  // Stops holding: everything held, in archive order, each once.
  QVector<hubproto::ImMessage> release();
  // Stops holding and forgets what was held, unseen: a catch-up that failed brings it again.
  void discard();
  bool holding() const { return m_holding; }
  // The last id taken from archive; empty when none.
  QString lastId(const QString &archive) const;
  // A new sign-in: nothing seen yet.
  void clear();

private:
  bool take(const Arrival &arrival);

  QHash<QString, quint64> m_last;
  QVector<Arrival> m_held;
  bool m_holding = false;
};

} // namespace xmppim

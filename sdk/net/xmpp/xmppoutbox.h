#pragma once
// Messages handed to the XMPP server whose arrival is not known yet. A group message is known
// to have arrived once the room sends it back; a one-to-one message once the link outlived it
// by the time a dead link takes to show. When the link breaks, the rest are kept: the comeback
// looks them up in the archives by id and sends again, under the same id, those the server
// never took.

#include <QList>
#include <QString>
#include <QXmppMessage.h>

namespace xmppim {

class Outbox {
public:
  static constexpr int kMaxKept = 256;
  // Beyond keep-alive interval and time-out, a link that took a message and still answers
  // has delivered it.
  static constexpr qint64 kSettleMs = 30000;

  void add(const QXmppMessage &message, qint64 nowMs);
  // The server took the message with this id (or origin id).
  void confirm(const QString &id);
  // One-to-one messages the link outlived count as taken.
  void settle(qint64 nowMs);
  QList<QXmppMessage> takeAll();
  int size() const { return m_kept.size(); }

private:
  struct Kept {
    QXmppMessage message;
    qint64 sentAtMs = 0;
  };
  QList<Kept> m_kept;
};

} // namespace xmppim

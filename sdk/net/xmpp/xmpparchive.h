#pragma once
// Asks an archive on the XMPP server (a room's, or the user's own) for what it kept after an
// archive id, or since a time when no id is known yet, page by page (XEP-0313), and hands the
// messages over with their archive ids and, for a room, the sender's real account where the
// archive names it. Results only count from the archive asked.

#include <QDateTime>
#include <QHash>
#include <QVector>
#include <QXmppClientExtension.h>
#include <QXmppMessage.h>

#include <functional>

namespace xmppim {

class ArchiveQuery : public QXmppClientExtension {
  Q_OBJECT
public:
  // Pages of this many; a catch-up longer than kMaxPages pages is cut there.
  static constexpr int kPageSize = 100;
  static constexpr int kMaxPages = 50;

  struct Found {
    QString id;
    QXmppMessage message;
    QString realJid; // the sender's account as the room's archive names it; empty when not
  };
  using Done = std::function<void(bool ok, const QVector<Found> &found)>;

  // archiveJid: a room's JID, or the user's own bare JID for its own archive.
  void fetch(const QString &archiveJid, const QString &afterId, const QDateTime &since, Done done);
  bool handleStanza(const QDomElement &stanza) override;

private:
  struct Query {
    QString archiveJid;
    QString ownJid; // the archive is the user's own: results come without a sender
    QDateTime since;
    QString iqId;
    int pages = 0;
    QVector<Found> found;
    Done done;
  };
  void ask(const QString &queryId, const QString &afterId);
  bool takeResult(const QDomElement &result, const QString &from);
  bool takeAnswer(const QDomElement &iq);
  void finish(const QString &queryId, bool ok);

  QHash<QString, Query> m_queries; // by query id
};

} // namespace xmppim

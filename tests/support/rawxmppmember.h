#pragma once
// A room member that speaks to the XMPP server with a bare QXmpp client: what a modified
// client could send past our transport's own checks (a student giving the teacher's commands,
// drawing on the board, taking someone else's nickname in the room). Our payload goes out as
// the transport writes it.

#include "protocol/immessage.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class QXmppClient;

class RawXmppMember : public QObject {
  Q_OBJECT
public:
  // Time stamps a client may write into its own message: a XEP-0203 delay and a XEP-0359
  // stanza-id claiming to come from someone else (the room, the receiver's archive).
  struct Stamps {
    QDateTime delay;
    QString stanzaId;
    QString stanzaIdBy;
  };

  // address: xmpp://host:port/domain; token: the user's sign-in token from the service.
  RawXmppMember(const QString &address, const QString &userId, const QString &token, QObject *parent = nullptr);
  ~RawXmppMember() override;

  // Signed in and in the room as nick (the user id unless given); false after timeoutMs.
  bool enter(quint32 roomId, int timeoutMs, const QString &nick = QString());
  // to empty: the room's group; else that user, one to one. pushExt: the offline-push
  // extension, none when empty. False when the link would not take it.
  bool send(const QString &to, const QVector<hubproto::Element> &elems, const QString &pushExt = QString(),
            const Stamps &forged = {});
  // The JID the room or a user has on the server (to empty: the room).
  QString jidOf(const QString &to) const;

private:
  QString m_host;
  quint16 m_port = 0;
  QString m_domain;
  QString m_userId;
  QString m_token;
  quint32 m_roomId = 0;
  QXmppClient *m_client;
  bool m_inRoom = false;
};

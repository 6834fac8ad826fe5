#pragma once
// With IM on an XMPP server the hub never sees the board data, so the service keeps it: its
// own account sits in every class room it seated someone in, and whiteboard messages that the
// room's teacher sends there go into the history "board/history" answers from, as the hub's
// own do. Lives on the main thread; watch() may be called from any thread.

#include "service/hub/whiteboardhistory.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

class QXmppClient;
class QXmppMessage;
class QXmppPresence;

class BoardArchiver : public QObject {
  Q_OBJECT
public:
  struct Server {
    QString host;
    quint16 port = 0;
    QString domain;
    QString user;       // the service's own account
    QByteArray password;
  };

  explicit BoardArchiver(const Server &server, QObject *parent = nullptr);
  ~BoardArchiver() override;

  // Signs in; rooms given to watch() before that are joined once signed in.
  void start();
  // Any thread: sits in roomId from now on, keeping what teacherId draws there.
  void watch(quint32 roomId, const QString &teacherId);
  const WhiteboardHistory &history() const { return m_history; }

private:
  void join(quint32 roomId);
  void onPresence(const QXmppPresence &presence);
  void onMessage(const QXmppMessage &message);
  quint32 roomOf(const QString &jid) const;

  Server m_server;
  QXmppClient *m_client;
  bool m_signedIn = false;
  WhiteboardHistory m_history;
  QHash<quint32, QString> m_teachers;  // room → teacher's user id
  QHash<QString, QString> m_occupants; // occupant JID (room@service/nick) → the user behind it
  quint64 m_seq = 1;
};

#pragma once
// IM over an XMPP server (ejabberd) with QXmpp, over c2s TCP: sign-in with the service's token
// (SASL PLAIN), the class's members-only room for group messages, chat stanzas one to one, our
// elements in a payload extension. The room is non-anonymous, so every message is traced to
// its sender's account. No hub stands between the members, so the hub's rules are kept at both
// ends: the room's owner is the teacher; a message the hub would refuse (a teacher's command
// from anyone else, chat text over the cap) is refused when sent and dropped when received;
// one-to-one messages count only from people in the room.
//
// A lost link keeps the user, the room and the last archive ids seen; resume() signs in on a
// fresh stream, rejoins the room under the same nickname and catches up from the archives
// (the room's, and the user's own one to one) after those ids. Each message is handed on once
// and in archive order (xmppim::Inbox); messages that were on their way when the link broke
// go again under their ids unless an archive shows the server took them (xmppim::Outbox).

#include "sdk/net/imtransport.h"
#include "sdk/net/xmpp/xmpparchive.h"
#include "sdk/net/xmpp/xmppinbox.h"
#include "sdk/net/xmpp/xmppoutbox.h"

#include <QDateTime>
#include <QHash>
#include <QPointer>
#include <QTimer>

class QXmppClient;
class QXmppMessage;
class QXmppPresence;

namespace sdk {

struct XmppAddress {
  QString host;
  quint16 port = 0;
  QString domain;
  // xmpp://host:port/domain; false when malformed.
  static bool parse(const QString &url, XmppAddress *out);
};

class XmppImTransport : public ImTransport {
  Q_OBJECT
public:
  XmppImTransport(const XmppAddress &address, const QString &token, QObject *parent = nullptr);
  ~XmppImTransport() override;

  void signIn(const QString &userId, Done done) override;
  void joinRoom(quint32 roomId, Done done) override;
  void leaveRoom() override;
  void send(const hubproto::Conversation &conv, const QVector<hubproto::Element> &elems,
            const QString *offlinePushExt, Done done) override;
  void signOut() override;
  void resume(int timeLimitMs, Done done) override;

  static constexpr int kJoinTimeoutMs = 10000;
  static constexpr int kKeepAliveSecs = 10;

private:
  enum class State { Idle, SigningIn, SignedIn, Lost, Resuming, Closed };
  struct Occupant {
    QString userId;
    bool owner = false;
  };

  void connectStream();
  void dropStream();
  void onConnected();
  void onError();
  void onDisconnected();
  void lose(int code, const QString &reason);
  void finishSignIn(int code, const QString &desc);
  void finishJoin(int code, const QString &desc);
  void finishResume(int code, const QString &desc);
  void fail(int code, const QString &desc);
  void rejoin();
  QString ownBareJid() const;
  QString roomJid() const;
  // xmppimreceive.cpp: what arrives, live or from the archives.
  void onMessage(const QXmppMessage &message);
  void onPresence(const QXmppPresence &presence);
  void onRoomPresence(const QXmppPresence &presence);
  xmppim::Inbox::Arrival groupArrival(const QXmppMessage &message, const QString &archiveId, const QString &realJid);
  xmppim::Inbox::Arrival directArrival(const QXmppMessage &message, const QString &archiveId);
  const Occupant *occupantByUser(const QString &userId) const;
  void hand(xmppim::Inbox::Arrival arrival);
  void catchUp();
  void caughtUp(const QString &archive, bool ok, const QVector<xmppim::ArchiveQuery::Found> &found);

  XmppAddress m_address;
  QString m_token;
  QString m_userId;
  QXmppClient *m_client = nullptr; // one per stream: a comeback starts from a clean one
  xmppim::ArchiveQuery *m_archive = nullptr; // the stream's archive queries, owned by m_client
  State m_state = State::Idle;
  Done m_signInDone;
  bool m_conflict = false;
  quint32 m_roomId = 0;  // the room joined or being joined
  bool m_inRoom = false;
  bool m_owner = false;  // this account owns the room: the class's teacher
  Done m_joinDone;
  QTimer m_joinTimer;
  QHash<QString, Occupant> m_occupants; // by nick
  // Where a catch-up starts when an archive has given no id yet.
  QDateTime m_signedInAt;
  QDateTime m_joinedAt;
  xmppim::Inbox m_inbox;
  xmppim::Outbox m_outbox;
  Done m_resumeDone;
  QTimer m_resumeTimer;
  int m_catchUpsLeft = 0;
  bool m_catchUpFailed = false;
};

} // namespace sdk

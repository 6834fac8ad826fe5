#pragma once
// IM over an XMPP server (ejabberd) with QXmpp, over c2s TCP: sign-in with the service's token
// (SASL PLAIN), the class's members-only room for group messages, chat stanzas one to one, our
// elements in a payload extension. The room is non-anonymous, so every message is traced to
// its sender's account. No hub stands between the members, so the hub's rules are kept at both
// ends: the room's owner is the teacher; a message the hub would refuse (a teacher's command
// from anyone else, chat text over the cap) is refused when sent and dropped when received;
// one-to-one messages count only from people in the room.

#include "sdk/net/imtransport.h"

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

  static constexpr int kJoinTimeoutMs = 10000;
  static constexpr int kKeepAliveSecs = 10;

private:
  enum class State { Idle, SigningIn, SignedIn, Closed };
  struct Occupant {
    QString userId;
    bool owner = false;
  };

  void onConnected();
  void onError();
  void onDisconnected();
  void onMessage(const QXmppMessage &message);
  void onPresence(const QXmppPresence &presence);
  void onRoomPresence(const QXmppPresence &presence);
  void onGroupMessage(const QXmppMessage &message, hubproto::ImMessage m);
  void finishSignIn(int code, const QString &desc);
  void finishJoin(int code, const QString &desc);
  void fail(int code, const QString &desc);
  QString ownBareJid() const;

  XmppAddress m_address;
  QString m_token;
  QString m_userId;
  QXmppClient *m_client;
  State m_state = State::Idle;
  Done m_signInDone;
  bool m_conflict = false;
  quint32 m_roomId = 0;  // the room joined or being joined
  bool m_inRoom = false;
  bool m_owner = false;  // this account owns the room: the class's teacher
  Done m_joinDone;
  QTimer m_joinTimer;
  QHash<QString, Occupant> m_occupants; // by nick
};

} // namespace sdk

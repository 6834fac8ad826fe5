#pragma once
// The seam between the SDK's IM path and the server that carries it: the class hub (the
// default, on the live session's own hub connection) or an XMPP server. A transport signs one
// user in, joins the room's group, sends group and one-to-one messages and hands every
// received message over with its server time. Lives on one thread: call it there; its callbacks
// and signals come on that thread.

#include "protocol/immessage.h"
#include "protocol/protocol.h"

#include <QObject>
#include <QString>

#include <functional>

namespace sdk {

class ImTransport : public QObject {
  Q_OBJECT
public:
  // code 0 or one of the live SDK's codes, with a description.
  using Done = std::function<void(int code, const QString &desc)>;
  using QObject::QObject;

  virtual void signIn(const QString &userId, Done done) = 0;
  virtual void joinRoom(quint32 roomId, Done done) = 0;
  virtual void leaveRoom() = 0;
  // conv.peer names the room (group) or the user (one-to-one).
  virtual void send(const hubproto::Conversation &conv, const QVector<hubproto::Element> &elems,
                    const QString *offlinePushExt, Done done) = 0;
  // Ends the sign-in without waiting for the server; callbacks still waiting are answered at
  // once with a failure, no signal follows.
  virtual void signOut() = 0;
  // Brings the link back after connectionLost(): signs in again, rejoins the room it was in
  // under the same name and hands over through received() what was sent meanwhile, each
  // message once and in order. done(0) once back; a link that did not work within
  // timeLimitMs answers ClientConnect, ClientTimeout or ClientConnectionLost, a refusal its
  // own code. A transport whose loss is its carrier's (the hub's) refuses.
  virtual void resume(int timeLimitMs, Done done) {
    Q_UNUSED(timeLimitMs);
    done(hubproto::NotAllowed, QStringLiteral("this IM link comes back with its carrier"));
  }

signals:
  void received(const hubproto::ImMessage &message);
  // The same account signed in elsewhere; the transport is signed out.
  void forcedOffline();
  // The link went away by itself (not after signOut(), not after forcedOffline()); the
  // transport keeps its user and room for resume().
  void connectionLost(int code, const QString &reason);
};

} // namespace sdk

#pragma once
// The class hub: sign-in, rooms with their IM group, IM messages, members and their stage
// state, and media streams, for participants that reach it through any transport
// (docs/protocol.md). A transport attaches a HubPeer per connection and feeds the hub what
// arrives; everything here runs on the hub's thread except the presence queries.

#include "service/hub/hublimits.h"
#include "service/hub/presencetable.h"
#include "service/hub/roombacklog.h"
#include "service/hub/whiteboardhistory.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QTimer>

#include <map>
#include <memory>
#include <vector>

class HubPeer;
struct Participant;
namespace hubproto {
struct Envelope;
struct MediaFrame;
enum class Source : quint8;
} // namespace hubproto

class Hub : public QObject {
  Q_OBJECT
public:
  explicit Hub(const QByteArray &secret, QObject *parent = nullptr);
  ~Hub() override;

  void setLimits(const HubLimits &limits);
  const HubLimits &limits() const { return m_limits; }

  // Transport side (hub thread). attach returns the connection id used by the other calls;
  // the peer must stay valid until detach or its disconnectPeer.
  quint64 attach(HubPeer *peer);
  void receiveText(quint64 connection, const QByteArray &text);
  void receiveBinary(quint64 connection, const QByteArray &frame);
  // The connection went away on the transport's side.
  void detach(quint64 connection);
  int connectionCount() const { return static_cast<int>(m_participants.size()); }

  // Any thread.
  bool isOnline(const QString &userId) const;
  bool isInRoom(const QString &userId, quint32 roomId) const;
  bool isInAnyRoom(const QString &userId) const;
  QStringList roomMembers(quint32 roomId) const;
  // Whether the room's teacher has let this student on stage (kept while its seat is held).
  bool isOnStage(const QString &userId, quint32 roomId) const;
  // The whiteboard messages each room's group received.
  WhiteboardHistory &whiteboardHistory() { return m_whiteboard; }
  const WhiteboardHistory &whiteboardHistory() const { return m_whiteboard; }

signals:
  void signedIn(const QString &userId);
  void signedOut(const QString &userId);
  void roomEntered(const QString &userId, quint32 roomId);
  void roomLeft(const QString &userId, quint32 roomId);

private:
  struct Room {
    QString groupId;
    QList<quint64> members; // in joining order
    std::unique_ptr<RoomBacklog> backlog;
  };
  // The room place of a member whose connection went away without leaving: kept for a while
  // so that the same user coming back takes it over unseen by the others.
  struct HeldSeat {
    quint32 roomId = 0;
    QString role;
    QString grantRole;
    bool stageGranted = false;
    qint64 sinceMs = 0;
  };
  using Handler = void (Hub::*)(Participant &, const hubproto::Envelope &);

  // hub.cpp: connections, input, output, drops.
  Participant *find(quint64 connection) const;
  void dispatch(Participant &p, const hubproto::Envelope &env);
  bool refuseText(Participant &p, const QByteArray &text);
  void send(Participant &p, const QJsonObject &message);
  void sendEncoded(Participant &p, const QByteArray &bytes);
  void reply(Participant &p, qint64 id, int code = 0, const QString &desc = QString(),
             QJsonObject result = QJsonObject());
  void drop(Participant &p, int code, const QString &reason, bool notifyPeer);
  void finishDrops();
  void checkIdle();
  qint64 nowMs() const;
  void enter() { ++m_depth; }
  void leave();

  // hubbackpressure.cpp: what a reader that takes its data slowly loses.
  bool mediaQueueFull(const Participant &to, qint64 bytes) const;
  bool controlOverflows(const Participant &to, qint64 bytes) const;

  // hubsession.cpp
  void onLogin(Participant &p, const hubproto::Envelope &env);
  void onLogout(Participant &p, const hubproto::Envelope &env);
  void onPing(Participant &p, const hubproto::Envelope &env);
  void signOut(Participant &p, bool keepSeat = false);

  // hubrooms.cpp
  void onJoin(Participant &p, const hubproto::Envelope &env);
  void onQuit(Participant &p, const hubproto::Envelope &env);
  void onRole(Participant &p, const hubproto::Envelope &env);
  void takeSeat(Participant &p, quint32 roomId, const QString &role, const QString &grantRole, const HeldSeat &held);
  void leaveRoom(Participant &p, bool keepSeat = false);
  void notifyRoom(quint32 roomId, const QJsonObject &notice, quint64 except);
  void notifyRoomEncoded(quint32 roomId, const QByteArray &bytes, quint64 except);
  void notifyMember(const Participant &p, const QString &event);
  void notifyMemberOf(quint32 roomId, const QString &event, const QString &userId, const QString &role,
                      quint64 except);
  QJsonObject memberList(const Participant &self) const;
  std::vector<Participant *> roomPeers(quint32 roomId, quint64 except) const;

  // hubseats.cpp: held seats and the rooms' backlogs.
  void holdSeat(const Participant &p);
  const HeldSeat *heldSeat(const QString &userId, quint32 roomId) const;
  void expireSeats(qint64 now);
  void pruneRoom(quint32 roomId);
  void recordMessage(const Participant &from, const QString &to, const QString &msgKey, quint64 seq,
                     const QByteArray &notice);
  quint64 seqOfKey(const Participant &from, const QString &msgKey) const;
  QList<QByteArray> missedSince(const Participant &p, quint64 after, QJsonObject *result) const;

  // hubstage.cpp: room grants on join, the teacher's stage grants.
  bool admit(Participant &p, const hubproto::Envelope &env, quint32 roomId, const QString &authBuffer,
             const QString &role, QString *grantRole, bool stageHeld);
  static int roleRefusal(const Participant &p, const QString &role);
  void onGrant(Participant &p, const hubproto::Envelope &env);
  void onRevoke(Participant &p, const hubproto::Envelope &env);
  Participant *stageTarget(Participant &teacher, const hubproto::Envelope &env);
  void notifyStage(Participant &p);

  // hubmessages.cpp
  void onSend(Participant &p, const hubproto::Envelope &env);
  void replySent(Participant &p, qint64 id, quint64 seq, qint64 timeMs);
  Participant *c2cTarget(const Participant &from, const QString &userId, int *code) const;

  // hubstreams.cpp
  void onPublish(Participant &p, const hubproto::Envelope &env);
  void onUnpublish(Participant &p, const hubproto::Envelope &env);
  void onRequest(Participant &p, const hubproto::Envelope &env);
  void endPublications(Participant &p);
  void notifyStream(const Participant &p, hubproto::Source source, bool on);
  void handleFrame(Participant &p, const QByteArray &bytes);
  void refuseFrame(Participant &p, int code, const QString &why);
  void fanOut(Participant &from, const hubproto::MediaFrame &frame);

  // hubkeyframes.cpp
  void onKeyframe(Participant &p, const hubproto::Envelope &env);
  void askKeyframe(Participant &publisher, hubproto::Source source);
  bool admitFrame(Participant &from, Participant &to, const hubproto::MediaFrame &frame, qint64 bytes);

  const QByteArray m_secret;
  HubLimits m_limits;
  std::map<quint64, std::unique_ptr<Participant>> m_participants;
  QHash<QString, quint64> m_byUser;
  std::map<quint32, Room> m_rooms;
  QHash<QString, HeldSeat> m_held; // by user id
  PresenceTable m_presence;
  WhiteboardHistory m_whiteboard;
  QHash<QString, Handler> m_handlers;
  QList<quint64> m_pendingDrops;
  QTimer m_idleTimer;
  quint64 m_nextConnection = 1;
  quint64 m_nextSeq = 1;
  quint64 m_nextChannel = 1;
  int m_depth = 0;
};

#pragma once
// One participant's session with a hub over any HubTransport: requests with their replies,
// the hub's notices as signals, media frames both ways (docs/protocol.md). Lives on one
// thread: call it there; its callbacks and signals come on that thread. Do not delete it from
// inside one of its callbacks (use deleteLater). The live SDK runs one
// on its network thread; tests and the scripted teacher use it directly as further participants.

#include "protocol/immessage.h"
#include "protocol/mediaframe.h"
#include "protocol/protocol.h"
#include "sdk/net/hubtransport.h"
#include "sdk/net/mediatransport.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

namespace sdk {

struct HubReply {
  int code = 0;
  QString desc;
  QJsonObject body;
};
using HubReplyFn = std::function<void(const HubReply &)>;

class HubClient : public QObject {
  Q_OBJECT
public:
  explicit HubClient(std::unique_ptr<HubTransport> transport, QObject *parent = nullptr);
  ~HubClient() override;

  void setRequestTimeout(int ms) { m_timeoutMs = ms; }
  bool isOpen() const { return m_state == State::Open; }

  // Sends a request, connecting first if needed; done is called exactly once (unless the
  // client is destroyed first).
  void request(const QString &type, QJsonObject body, HubReplyFn done);
  // Dropped unless open. Video is also dropped (and counted) while more than
  // kMaxQueuedBytes wait to be written, so a slow link sheds pictures, never sound or requests.
  void sendFrame(const hubproto::MediaFrame &frame);
  static constexpr qint64 kMaxQueuedBytes = 2 << 20; // about four 640 × 480 pictures
  quint64 droppedVideoFrames() const { return m_droppedVideo; }
  // Closes the link; pending requests fail with ClientConnectionLost. No connectionLost().
  void close();

  void login(const QString &userId, const QString &userSig, HubReplyFn done);
  void logout(HubReplyFn done);
  void join(quint32 roomId, const QString &role, const QString &authBuffer, HubReplyFn done);
  void quit(HubReplyFn done);
  void changeRole(const QString &role, HubReplyFn done);
  // msgKey: the sender's own key, so that the hub takes a message sent again after a cut once.
  void sendMessage(const hubproto::Conversation &conv, const QVector<hubproto::Element> &elems,
                   const QString *offlinePushExt, HubReplyFn done, const QString &msgKey = QString());
  void publish(hubproto::Source video, bool audio, HubReplyFn done);
  void unpublish(quint64 channelId, HubReplyFn done);
  void requestStreams(const QList<StreamRequest> &streams, HubReplyFn done);
  // Asks the publisher of a stream this client receives for a keyframe (through the hub,
  // which passes on a few per second at most).
  void requestKeyframe(const QString &userId, hubproto::Source source, HubReplyFn done);
  void ping(HubReplyFn done);
  // The room's teacher lets a student of its room on stage (LiveGuest, publishing) or takes
  // that back; a revoke also ends the student's streams. Refused for anyone but the teacher.
  void grantStage(const QString &userId, HubReplyFn done);
  void revokeStage(const QString &userId, HubReplyFn done);

signals:
  void imMessage(const hubproto::ImMessage &message);
  void memberNotice(quint32 roomId, const QString &event, const QString &userId, const QString &role);
  void streamNotice(quint32 roomId, const QString &userId, hubproto::Source source, bool on);
  void mediaFrame(const hubproto::MediaFrame &frame);
  // A subscriber of one of this client's video streams needs a keyframe.
  void keyframeRequested(hubproto::Source source);
  void kicked(int code, const QString &desc);
  // This client's own stage grant changed; role is its room role after the change.
  void stageNotice(quint32 roomId, bool granted, const QString &role);
  void hubError(int code, const QString &desc); // error notices that answer no request
  // The link went away by itself (not after close(), not after kicked()).
  void connectionLost(int code, const QString &reason);

private:
  enum class State { Idle, Connecting, Open, Closed };
  struct Pending {
    HubReplyFn done;
    qint64 deadline;
  };

  void open();
  void onOpened();
  void onClosed(int code, const QString &reason);
  void onText(const QByteArray &text);
  void onBinary(const QByteArray &frame);
  void onNotice(const QString &type, const QJsonObject &o);
  void finish(qint64 id, const HubReply &reply);
  void failAll(int code, const QString &desc);
  void checkTimeouts();

  std::unique_ptr<HubTransport> m_transport;
  State m_state = State::Idle;
  QList<QByteArray> m_unsent; // requests made while connecting
  QHash<qint64, Pending> m_pending;
  QTimer m_timeoutTimer;
  qint64 m_nextId = 1;
  int m_timeoutMs = 15000;
  bool m_kicked = false;
  quint64 m_droppedVideo = 0;
};

} // namespace sdk

Q_DECLARE_METATYPE(hubproto::ImMessage)
Q_DECLARE_METATYPE(hubproto::MediaFrame)
Q_DECLARE_METATYPE(hubproto::Source)

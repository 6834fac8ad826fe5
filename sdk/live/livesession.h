#pragma once
// The live SDK's network thread: one HubClient per sign-in, the room it joined, its role and
// its published streams; turns the hub's notices into the program's callbacks. Every method
// runs on the session's own thread (the SDK object posts to it).

#include "sdk/live/completion.h"
#include "sdk/live/imresume.h"
#include "sdk/live/imroute.h"
#include "sdk/live/linkresume.h"
#include "sdk/live/mediaroute.h"
#include "sdk/live/pendingsends.h"
#include "sdk/net/hubclient.h"

#include <QMap>
#include <QSet>
#include <QObject>
#include <QTimer>

#include <functional>

namespace ilivesdk {

class LiveCallbacks;
class MediaEngine;

hubproto::Source pushSource(ilive::PushDataType type);

struct RoomSpec {
  quint32 roomId = 0;
  QString role;
  QString authBuffer;
  ilive::ConnectionLostCallback connectionLost = nullptr;
  ilive::MemberStatusCallback memberStatus = nullptr;
  ilive::QualityCallback quality = nullptr;
  ilive::ReconnectingCallback reconnecting = nullptr;
  void *data = nullptr;
};

class LiveSession : public QObject {
  Q_OBJECT
public:
  using SendDone = std::function<void(int code, const QString &desc)>;

  LiveSession(const LiveCallbacks *callbacks, MediaEngine *media, QObject *parent = nullptr);
  ~LiveSession() override;

  // IM goes the way im says: over this hub connection or to an XMPP server; media the way
  // media says: over this hub connection or through Janus.
  void login(const QString &userId, const QString &userSig, const QString &hubUrl, const ImRoute &im,
             const MediaRoute &media, Completion done);
  void logout(Completion done);
  void join(const RoomSpec &room, Completion done);
  void quit(Completion done);
  void changeRole(const QString &role, Completion done);
  void requestStreams(const QList<sdk::StreamRequest> &streams, Completion done);
  void startPush(ilive::PushDataType type, PushCompletion done);
  void stopPush(quint64 channelId, Completion done);
  // A group conversation with an empty peer means the joined room's group.
  void sendMessage(hubproto::Conversation conv, const QVector<hubproto::Element> &elems,
                   bool hasPushExt, const QString &pushExt, SendDone done);
  void sendFrame(const hubproto::MediaFrame &frame);
  // The media thread cannot show a received stream until its next keyframe.
  void askKeyframe(const QString &owner, hubproto::Source source);
  void setImEnabled(bool enabled) { m_imEnabled = enabled; }
  // Leaves everything without waiting for answers (release).
  void shutdown();

  static constexpr int kPingIntervalMs = 2000;

private:
  void signInIm(const QString &userId, const ImRoute &route, Completion done);
  void attachIm(const ImRoute &route);
  bool imOnHub() const { return m_imRoute.address.isEmpty(); }
  void onSignedIn(const QString &userId);
  void joinImRoom(const RoomSpec &room, const QJsonObject &hubReply, Completion done);
  void onKicked();
  void onConnectionLost(int code, const QString &reason);
  // livesessionresume.cpp: the link coming back after a cut.
  sdk::HubClient *makeClient();
  void startResume(int code, const QString &reason);
  void onResumed(sdk::HubClient *client, const QJsonObject &joined);
  // Which of the class's links gave up, as the program's log tells it.
  enum class ClassLink { Hub, ImServer };
  void onGaveUp(ClassLink link, int code, const QString &reason);
  bool abandonResume();
  void republish();
  void cameBackOffStage();
  void sendNow(PendingSend send);
  // The link that carries IM is away: sends wait for it.
  bool imAway() const { return imOnHub() ? m_resume.active() : m_imResume.active(); }
  void sendUnsent();
  void onImLost(int code, const QString &reason);
  void onImResumed();
  void onImMessage(const hubproto::ImMessage &m);
  // Tells the program whether a link of the class (hub or IM server) is being brought back.
  void updateReconnecting();
  void reportMembers(const QJsonObject &joined);
  void onMemberNotice(quint32 roomId, const QString &event, const QString &userId, const QString &role);
  void onStreamNotice(quint32 roomId, const QString &userId, hubproto::Source source, bool on);
  void onJoined(const RoomSpec &room, const QJsonObject &reply);
  void onPingTimer();
  void reportQuality(const sdk::HubReply &reply, qint64 sentAt);
  // afterMedia: told once the media thread has handled what was queued for it before.
  void memberStatus(ilive::MemberEvent event, const QStringList &userIds, bool afterMedia = false) const;
  void leaveRoomState();
  void dropClient();
  void retireClient();
  // livesessionmedia.cpp: what carries the media of this sign-in.
  void attachMedia(const QString &userId);
  void dropMedia();
  void updatePublishing();
  void toMedia(std::function<void(MediaEngine &)> fn) const;
  bool signedIn() const { return m_client && !m_user.isEmpty(); }

  const LiveCallbacks *m_callbacks;
  MediaEngine *m_media;
  sdk::HubClient *m_client = nullptr;
  sdk::ImTransport *m_im = nullptr; // the IM path of this sign-in
  sdk::MediaTransport *m_mediaLink = nullptr; // the media path of this sign-in
  ImRoute m_imRoute;
  // Members whose role lets them publish: through Janus, media of anyone else are not shown
  // (the service cuts such a publisher off only after up to a second).
  QSet<QString> m_mayPublish;
  MediaRoute m_mediaRoute;
  QString m_user;
  bool m_loggingIn = false;
  bool m_joining = false;
  bool m_inRoom = false;
  RoomSpec m_room;
  QMap<quint64, ilive::PushDataType> m_pushes;
  QTimer m_pingTimer;
  bool m_pingOutstanding = false;
  QList<bool> m_pingLost; // the last ten probes
  bool m_imEnabled = true;
  // What a comeback after a cut needs: how to sign in again, the last message seen, what was
  // asked for, and the hub's current channel of each of the program's push streams.
  QString m_userSig;
  QString m_hubUrl;
  quint64 m_lastSeq = 0;
  QList<sdk::StreamRequest> m_requested;
  QMap<quint64, quint64> m_hubChannels;
  PendingSends m_unsent;
  LinkResume m_resume;
  ImResume m_imResume; // IM on its own server comes back on its own
  bool m_reconnectingShown = false;
};

} // namespace ilivesdk

#pragma once
// The teacher's connection to the class hub: one sdk::HubClient per sign-in, the room, the
// class commands both ways (written and read with messaging's ClassCommand), published
// streams and their frames, and a keep-alive so that long waits do not look like silence.
// A link lost in the room comes back as the student's does (the live SDK's LinkResume, or
// ImResume for IM on its own server, and PendingSends): the room stays joined meanwhile, sends
// wait and go once, missed messages arrive once, and lost() follows only when the tries ran
// out.
// Lives on one thread; its callbacks and signals come on that thread.

#include "sdk/live/imresume.h"
#include "sdk/live/imroute.h"
#include "sdk/live/linkresume.h"
#include "sdk/live/pendingsends.h"
#include "sdk/live/mediaroute.h"
#include "sdk/net/hubtransport.h"
#include "protocol/immessage.h"
#include "protocol/mediaframe.h"
#include "protocol/protocol.h"
#include "sdk/media/streamdecoders.h"
#include "sdk/media/streamencoders.h"
#include "teacher/classstate.h"

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <functional>

namespace sdk {
class HubClient;
class MediaTransport;
struct HubReply;
} // namespace sdk

class TeacherSession : public QObject {
  Q_OBJECT
public:
  using Done = std::function<void(int code, const QString &desc)>;
  using EnterDone = std::function<void(int code, const QString &desc, const QStringList &members)>;
  static constexpr int kKeepAliveMs = 10000;
  static constexpr const char *kRole = "LiveMaster";
  static constexpr const char *kStageRole = "LiveGuest";

  explicit TeacherSession(sdk::HubTransportFactory transports, QObject *parent = nullptr);
  ~TeacherSession() override;

  // Who carries the next sign-in's IM (the class hub unless set; the token comes from the
  // class sign-in).
  void setImRoute(const ilivesdk::ImRoute &route) { m_imRoute = route; }
  // Who carries the next sign-in's media (the class hub unless set).
  void setMediaRoute(const ilivesdk::MediaRoute &route) { m_mediaRoute = route; }
  // The room role of later joins; the teacher's unless set.
  void setRole(const QString &role) { m_role = role; }

  bool isSignedIn() const { return m_signedIn; }
  bool isInRoom() const { return m_roomId != 0; }
  // A link of the class (the hub's, or the IM server's) was lost and is being brought back.
  bool isReconnecting() const { return m_resume.active() || m_imResume.active(); }
  QString userId() const { return m_userId; }
  quint32 roomId() const { return m_roomId; }
  bool publishes(hubproto::Source source) const { return m_channels.contains(int(source)); }

  void signIn(const QString &userId, const QString &userSig, Done done);
  // Joins as the teacher; members are the others already in the room.
  void enter(quint32 roomId, const QString &authBuffer, EnterDone done);
  // Quits the room and signs out, whatever of it applies; done once the hub answered (or at
  // once when there is nothing to do). The first failure is reported, the rest still runs.
  void leave(Done done);

  // to empty = the room's group, otherwise one user.
  void sendCommand(const QString &to, int code, const QString &param, Done done);
  void sendText(const QString &to, const QString &text, Done done);
  // One whiteboard envelope to the room's group, tagged as whiteboard data.
  void sendWhiteboard(const QByteArray &envelope, Done done);
  // The teacher lets a student of the room on stage, or takes it back (ending its streams).
  void grantStage(const QString &userId, Done done);
  void revokeStage(const QString &userId, Done done);
  void changeRole(const QString &role, Done done);
  void publish(hubproto::Source source, Done done, bool withAudio = false);
  void unpublish(hubproto::Source source, Done done);
  // Encoded (VP8) and sent; dropped unless the source is published.
  void sendVideo(hubproto::Source source, const QByteArray &i420, int width, int height);
  // Voice PCM (mono, 16 bit), encoded (Opus) and sent; dropped unless a stream was published
  // with audio.
  void sendAudio(const QByteArray &pcm, int sampleRate);
  // Any elements (chat text and faces) to the group (to empty) or one user.
  void sendElements(const QString &to, const QVector<hubproto::Element> &elems, Done done);

signals:
  void commandReceived(const ReceivedCommand &command);
  void memberEntered(const QString &userId);
  void memberLeft(const QString &userId);
  // Every message that arrives, commands included (the console shows the chat in it).
  void messageReceived(const hubproto::ImMessage &message);
  // Frames of the room's streams the hub sends this connection (cameras and voices), as they
  // come (encoded).
  void mediaFrame(const hubproto::MediaFrame &frame);
  // The room's video streams decoded, as I420 frames; decoding happens only while something
  // is connected here.
  void pictureReceived(const hubproto::MediaFrame &frame);
  // A stream of another member stopped coming through the media transport (through Janus also
  // when the link to it broke or its packets are lost); its pictures come again as they come.
  void streamEnded(const QString &userId, hubproto::Source source);
  // The connection went away for good or the account signed in elsewhere; the session is
  // signed out.
  void lost(const QString &why);
  // The link to the class was lost and is being brought back (true), or is back (false).
  void reconnecting(bool on);

private:
  void send(const QString &to, const QVector<hubproto::Element> &elems, Done done,
            const QString *offlinePushExt = nullptr);
  sdk::HubClient *makeClient();
  void attachIm();
  bool imOnHub() const { return m_imRoute.address.isEmpty(); }
  // False (and done answered) while the link is down.
  bool linkUp(const Done &done) const;
  void onHubMessage(const hubproto::ImMessage &message);
  void noteMembers(const QJsonObject &joined, QStringList *others);
  // teachersessionresume.cpp: the link coming back after a cut.
  void onConnectionLost(int code, const QString &reason);
  void startResume(int code, const QString &reason);
  void onResumed(sdk::HubClient *client, const QJsonObject &joined);
  void republish();
  void onGaveUp(int code, const QString &reason);
  void sendNow(ilivesdk::PendingSend send);
  // The link that carries IM is away: sends wait for it.
  bool imAway() const { return imOnHub() ? m_resume.active() : m_imResume.active(); }
  void sendUnsent();
  void onImLost(int code, const QString &reason);
  void updateReconnecting();
  void attachMedia(const QString &userId);
  void signInIm(Done done);
  void onMessage(const hubproto::ImMessage &message);
  void onMemberNotice(quint32 roomId, const QString &event, const QString &userId);
  void onGone(const QString &why);
  void onFrame(const hubproto::MediaFrame &frame);
  void forget();
  void logout(int firstCode, const QString &firstDesc, Done done);

  sdk::HubTransportFactory m_transports;
  sdk::HubClient *m_client = nullptr; // none while the link is being brought back
  ilivesdk::ImRoute m_imRoute;
  ilivesdk::MediaRoute m_mediaRoute;
  sdk::ImTransport *m_im = nullptr; // IM of this sign-in: over m_client or an XMPP server
  sdk::MediaTransport *m_media = nullptr; // media of this sign-in
  QString m_userId;
  QString m_role = QLatin1String(kRole);
  bool m_signedIn = false;
  quint32 m_roomId = 0;
  QHash<int, quint64> m_channels; // by source
  int m_audioSource = -1;         // the published stream that carries the voice
  media::StreamEncoders m_encoders;
  media::StreamDecoders m_decoders;
  QTimer m_keepAlive;
  // What a comeback needs: how to sign in and join again, the last message seen, who was in
  // the room, and the sends that wait for the link.
  QString m_userSig;
  QString m_authBuffer;
  QString m_roomRole;
  quint64 m_lastSeq = 0;
  QSet<QString> m_members;
  ilivesdk::PendingSends m_unsent;
  ilivesdk::LinkResume m_resume;
  ilivesdk::ImResume m_imResume; // IM on its own server comes back on its own
  bool m_reconnectingShown = false;
};

#include "sdk/live/livesession.h"

#include "sdk/im/imbridge.h"
#include "sdk/live/guipost.h"
#include "sdk/live/livecallbacks.h"
#include "sdk/live/mediaengine.h"

#include <QDateTime>
#include <QJsonArray>
#include <QPointer>

#include <algorithm>

namespace ilivesdk {

using hubproto::Source;

namespace {
constexpr int kQualityWindow = 10;

ilive::MemberEvent streamEvent(Source source, bool on) {
  switch (source) {
  case Source::Camera: return on ? ilive::MEMBER_HAS_CAMERA : ilive::MEMBER_NO_CAMERA;
  case Source::Screen: return on ? ilive::MEMBER_HAS_SCREEN : ilive::MEMBER_NO_SCREEN;
  case Source::Media: return on ? ilive::MEMBER_HAS_MEDIA : ilive::MEMBER_NO_MEDIA;
  case Source::Audio: break;
  }
  return on ? ilive::MEMBER_HAS_AUDIO : ilive::MEMBER_NO_AUDIO;
}

} // namespace

Source pushSource(ilive::PushDataType type) {
  switch (type) {
  case ilive::PUSH_SCREEN: return Source::Screen;
  case ilive::PUSH_MEDIA: return Source::Media;
  default: return Source::Camera;
  }
}

LiveSession::LiveSession(const LiveCallbacks *callbacks, MediaEngine *media, QObject *parent)
    : QObject(parent), m_callbacks(callbacks), m_media(media), m_pingTimer(this),
      m_resume([this] { return makeClient(); },
               [this](sdk::HubClient *client, const QJsonObject &joined) { onResumed(client, joined); },
               [this](int code, const QString &reason) { onGaveUp(ClassLink::Hub, code, reason); }, this),
      m_imResume([this] { onImResumed(); },
                 [this](int code, const QString &reason) { onGaveUp(ClassLink::ImServer, code, reason); }, this) {
  connect(&m_pingTimer, &QTimer::timeout, this, &LiveSession::onPingTimer);
}

LiveSession::~LiveSession() { shutdown(); }

void LiveSession::toMedia(std::function<void(MediaEngine &)> fn) const {
  MediaEngine *media = m_media;
  QMetaObject::invokeMethod(media, [media, fn] { fn(*media); }, Qt::QueuedConnection);
}

void LiveSession::login(const QString &userId, const QString &userSig, const QString &hubUrl, const ImRoute &im,
                        const MediaRoute &media, Completion done) {
  if (userId.isEmpty()) {
    done.finish(ilive::ERR_BAD_ARGUMENT, QStringLiteral("empty user id"));
    return;
  }
  if (m_loggingIn) {
    done.finish(ilive::ERR_BUSY, QStringLiteral("a sign-in is already in progress"));
    return;
  }
  if (signedIn()) {
    if (userId == m_user)
      done.finish(ilive::ERR_ALREADY, QStringLiteral("already signed in"));
    else
      done.finish(ilive::ERR_BUSY, QStringLiteral("signed in as another user; log out first"));
    return;
  }
  m_loggingIn = true;
  m_hubUrl = hubUrl;
  m_userSig = userSig;
  m_imRoute = im;
  m_mediaRoute = media;
  m_lastSeq = 0;
  m_client = makeClient();
  attachMedia(userId);
  sdk::HubClient *client = m_client;
  m_client->login(userId, userSig, [this, client, userId, im, done](const sdk::HubReply &r) {
    if (client != m_client) {
      m_loggingIn = false;
      return done.finish(ilive::ERR_CONNECTION_LOST, QStringLiteral("signed out meanwhile"));
    }
    if (r.code != 0) {
      m_loggingIn = false;
      dropClient();
      return done.finish(r.code, r.desc);
    }
    signInIm(userId, im, done);
  });
}

void LiveSession::signInIm(const QString &userId, const ImRoute &route, Completion done) {
  attachIm(route);
  sdk::ImTransport *im = m_im;
  m_im->signIn(userId, [this, im, userId, done](int code, const QString &desc) {
    m_loggingIn = false;
    if (im != m_im)
      return done.finish(ilive::ERR_CONNECTION_LOST, QStringLiteral("signed out meanwhile"));
    if (code != 0) {
      dropClient();
      return done.finish(code, desc);
    }
    onSignedIn(userId);
    done.finish(ilive::NO_ERR, QString());
  });
}

// The IM transport for route over the current hub client, in place of any earlier one.
void LiveSession::attachIm(const ImRoute &route) {
  if (sdk::ImTransport *old = m_im) {
    old->disconnect(this);
    old->deleteLater();
  }
  m_im = createImTransport(route, m_client).release();
  m_im->setParent(this);
  // Over the hub, onImMessage delivers.
  connect(m_im, &sdk::ImTransport::received, this, [this](const hubproto::ImMessage &m) {
    if (m_imEnabled && !imOnHub())
      imbridge::deliver(m);
  });
  connect(m_im, &sdk::ImTransport::forcedOffline, this, &LiveSession::onKicked);
  // Over the hub the loss is the hub link's; an IM server's link comes back on its own.
  connect(m_im, &sdk::ImTransport::connectionLost, this, &LiveSession::onImLost);
}

void LiveSession::onSignedIn(const QString &userId) {
  m_user = userId;
  const QByteArray id = userId.toUtf8();
  toMedia([id](MediaEngine &media) { media.setLocalUser(id); });
  QPointer<LiveSession> self(this);
  imbridge::setSender([self](const hubproto::Conversation &conv, const QVector<hubproto::Element> &elems,
                             const QString *ext, imbridge::SendDone sent) {
    const bool hasExt = ext != nullptr;
    const QString pushExt = ext ? *ext : QString();
    LiveSession *session = self.data();
    if (!session)
      return sent(ilive::ERR_NOT_LOGGED_IN, QStringLiteral("not signed in"));
    QMetaObject::invokeMethod(session, [self, conv, elems, hasExt, pushExt, sent] {
      if (self)
        self->sendMessage(conv, elems, hasExt, pushExt, sent);
    }, Qt::QueuedConnection);
  });
}

sdk::HubClient *LiveSession::makeClient() {
  auto *client = new sdk::HubClient(sdk::createHubTransport(m_hubUrl), this);
  connect(client, &sdk::HubClient::kicked, this, &LiveSession::onKicked);
  connect(client, &sdk::HubClient::connectionLost, this, &LiveSession::onConnectionLost);
  connect(client, &sdk::HubClient::memberNotice, this, &LiveSession::onMemberNotice);
  connect(client, &sdk::HubClient::streamNotice, this, &LiveSession::onStreamNotice);
  connect(client, &sdk::HubClient::imMessage, this, &LiveSession::onImMessage);
  return client;
}

void LiveSession::logout(Completion done) {
  if (abandonResume()) {
    dropClient();
    return done.finish(ilive::NO_ERR, QString());
  }
  if (!signedIn()) {
    done.finish(ilive::ERR_NOT_LOGGED_IN, QStringLiteral("not signed in"));
    return;
  }
  leaveRoomState();
  sdk::HubClient *client = m_client;
  client->logout([this, client, done](const sdk::HubReply &r) {
    if (client == m_client)
      dropClient();
    // Signed out either way: the connection is closed now.
    done.finish(r.code == hubproto::ClientConnectionLost ? ilive::NO_ERR : r.code, r.desc);
  });
}

void LiveSession::join(const RoomSpec &room, Completion done) {
  if (!signedIn()) {
    done.finish(ilive::ERR_NOT_LOGGED_IN, QStringLiteral("not signed in"));
    return;
  }
  if (m_inRoom && m_room.roomId == room.roomId) {
    done.finish(ilive::ERR_ALREADY, QStringLiteral("already in this room"));
    return;
  }
  if (m_joining) {
    done.finish(ilive::ERR_BUSY, QStringLiteral("a join is already in progress"));
    return;
  }
  m_joining = true;
  leaveRoomState();
  m_client->join(room.roomId, room.role, room.authBuffer, [this, room, done](const sdk::HubReply &r) {
    if (r.code != 0 || !m_im) {
      m_joining = false;
      return done.finish(r.code, r.desc);
    }
    joinImRoom(room, r.body, done);
  });
}

void LiveSession::joinImRoom(const RoomSpec &room, const QJsonObject &hubReply, Completion done) {
  sdk::ImTransport *im = m_im;
  im->joinRoom(room.roomId, [this, im, room, hubReply, done](int code, const QString &desc) {
    m_joining = false;
    if (im != m_im)
      return done.finish(ilive::ERR_CONNECTION_LOST, QStringLiteral("signed out meanwhile"));
    if (code != 0) {
      // In the room for media but deaf to its messages is no class: leave the hub's room too.
      m_client->quit([](const sdk::HubReply &) {});
      return done.finish(code, desc);
    }
    onJoined(room, hubReply);
    done.finish(ilive::NO_ERR, QString());
  });
}

void LiveSession::onJoined(const RoomSpec &room, const QJsonObject &reply) {
  m_inRoom = true;
  m_room = room;
  m_requested.clear();
  m_hubChannels.clear();
  m_lastSeq = qMax(m_lastSeq, static_cast<quint64>(reply.value(QStringLiteral("lastSeq")).toDouble()));
  m_pingLost.clear();
  m_pingOutstanding = false;
  m_pingTimer.start(kPingIntervalMs);
  toMedia([](MediaEngine &media) { media.setRemoteEnabled(true); });
  reportMembers(reply);
}

void LiveSession::reportMembers(const QJsonObject &reply) {
  QStringList everyone;
  QStringList onStage;
  QMap<int, QStringList> bySource;
  const QJsonArray members = reply.value(QStringLiteral("members")).toArray();
  for (const QJsonValue &v : members) {
    const QJsonObject m = v.toObject();
    const QString id = m.value(QStringLiteral("userId")).toString();
    everyone.append(id);
    if (hubproto::roleMayPublish(m.value(QStringLiteral("role")).toString()))
      onStage.append(id);
    const QJsonArray streams = m.value(QStringLiteral("streams")).toArray();
    for (const QJsonValue &s : streams) {
      Source source{};
      if (hubproto::sourceFromName(s.toString(), &source))
        bySource[static_cast<int>(source)].append(id);
    }
  }
  if (!everyone.isEmpty())
    memberStatus(ilive::MEMBER_ENTER, everyone);
  m_mayPublish = QSet<QString>(onStage.cbegin(), onStage.cend());
  if (!onStage.isEmpty())
    memberStatus(ilive::MEMBER_ON_STAGE, onStage);
  for (auto it = bySource.cbegin(); it != bySource.cend(); ++it)
    memberStatus(streamEvent(static_cast<Source>(it.key()), true), it.value());
}

void LiveSession::quit(Completion done) {
  if (abandonResume())
    return done.finish(ilive::NO_ERR, QString());
  if (!signedIn() || !m_inRoom) {
    done.finish(ilive::ERR_NOT_IN_ROOM, QStringLiteral("not in a room"));
    return;
  }
  leaveRoomState();
  m_im->leaveRoom();
  m_client->quit([done](const sdk::HubReply &r) { done.finish(r.code, r.desc); });
}

void LiveSession::changeRole(const QString &role, Completion done) {
  if (!signedIn() || !m_inRoom) {
    done.finish(ilive::ERR_NOT_IN_ROOM, QStringLiteral("not in a room"));
    return;
  }
  m_client->changeRole(role, [this, role, done](const sdk::HubReply &r) {
    if (r.code == 0) {
      m_room.role = role;
      if (!hubproto::roleMayPublish(role)) {
        m_pushes.clear(); // the hub ended them
        updatePublishing();
      }
    }
    done.finish(r.code, r.desc);
  });
}

void LiveSession::requestStreams(const QList<sdk::StreamRequest> &streams, Completion done) {
  if (!signedIn() || !m_inRoom) {
    done.finish(ilive::ERR_NOT_IN_ROOM, QStringLiteral("not in a room"));
    return;
  }
  for (const sdk::StreamRequest &wanted : streams) {
    const bool known = std::any_of(m_requested.cbegin(), m_requested.cend(), [&](const sdk::StreamRequest &r) {
      return r.userId == wanted.userId && r.source == wanted.source;
    });
    if (!known)
      m_requested.append(wanted);
  }
  QPointer<sdk::MediaTransport> media(m_mediaLink);
  m_client->requestStreams(streams, [media, streams, done](const sdk::HubReply &r) {
    if (r.code == 0 && media)
      media->subscribe(streams);
    done.finish(r.code, r.desc);
  });
}

void LiveSession::startPush(ilive::PushDataType type, PushCompletion done) {
  if (!signedIn() || !m_inRoom) {
    done.finish(ilive::ERR_NOT_IN_ROOM, QStringLiteral("not in a room"), 0);
    return;
  }
  const bool audio = type == ilive::PUSH_CAMERA;
  m_client->publish(pushSource(type), audio, [this, type, done](const sdk::HubReply &r) {
    bool ok = false;
    const quint64 channel = r.body.value(QStringLiteral("channelId")).toString().toULongLong(&ok);
    if (r.code == 0 && ok) {
      m_pushes.insert(channel, type);
      updatePublishing();
    }
    done.finish(r.code == 0 && !ok ? ilive::ERR_BAD_ARGUMENT : r.code, r.desc, channel);
  });
}

void LiveSession::stopPush(quint64 channelId, Completion done) {
  if (!signedIn() || !m_pushes.contains(channelId)) {
    done.finish(ilive::ERR_STREAM_NOT_FOUND, QStringLiteral("no such push stream"));
    return;
  }
  m_pushes.remove(channelId);
  updatePublishing();
  const quint64 hubChannel = m_hubChannels.take(channelId);
  m_client->unpublish(hubChannel != 0 ? hubChannel : channelId, [done](const sdk::HubReply &r) { done.finish(r.code, r.desc); });
}


void LiveSession::sendMessage(hubproto::Conversation conv, const QVector<hubproto::Element> &elems,
                              bool hasPushExt, const QString &pushExt, SendDone done) {
  if (!signedIn() && !m_resume.active())
    return done(ilive::ERR_NOT_LOGGED_IN, QStringLiteral("not signed in"));
  if (conv.type == hubproto::Conversation::Group && conv.peer.isEmpty()) {
    if (!m_inRoom)
      return done(ilive::ERR_NOT_IN_ROOM, QStringLiteral("not in a room"));
    conv.peer = QString::number(m_room.roomId);
  }
  if (elems.isEmpty())
    return done(ilive::ERR_BAD_ARGUMENT, QStringLiteral("a message needs at least one element"));
  // A send waits out a cut of the link that carries IM, and goes once when it is back.
  PendingSend send{conv, elems, hasPushExt, pushExt, m_unsent.nextKey(), std::move(done)};
  if (imAway())
    return m_unsent.queue(std::move(send));
  sendNow(std::move(send));
}

void LiveSession::onKicked() {
  leaveRoomState();
  dropClient();
  if (ilive::ForceOfflineCallback cb = m_callbacks->forceOffline())
    postToGui([cb] { cb(); });
}

void LiveSession::onConnectionLost(int code, const QString &reason) {
  if (m_inRoom && !m_user.isEmpty())
    return startResume(code, reason);
  onGaveUp(ClassLink::Hub, code, reason);
}

void LiveSession::onMemberNotice(quint32 roomId, const QString &event, const QString &userId, const QString &role) {
  if (!m_inRoom || roomId != m_room.roomId)
    return;
  if (event == QLatin1String("enter"))
    memberStatus(ilive::MEMBER_ENTER, {userId});
  else if (event == QLatin1String("exit"))
    memberStatus(ilive::MEMBER_EXIT, {userId});
  else if (event == QLatin1String("role"))
    memberStatus(hubproto::roleMayPublish(role) ? ilive::MEMBER_ON_STAGE : ilive::MEMBER_OFF_STAGE, {userId});
  if (event != QLatin1String("exit") && hubproto::roleMayPublish(role))
    m_mayPublish.insert(userId);
  else
    m_mayPublish.remove(userId);
}

// A stream that stopped is told after the frames of it already on their way to the media
// thread, so that none of them shows after the program heard the stream is gone.
void LiveSession::onStreamNotice(quint32 roomId, const QString &userId, Source source, bool on) {
  if (!on) {
    const QByteArray owner = userId.toUtf8();
    toMedia([owner, source](MediaEngine &media) { media.forgetStream(owner, source); });
  }
  if (m_inRoom && roomId == m_room.roomId)
    memberStatus(streamEvent(source, on), {userId}, !on);
}

void LiveSession::memberStatus(ilive::MemberEvent event, const QStringList &userIds, bool afterMedia) const {
  const RoomSpec room = m_room;
  if (!room.memberStatus)
    return;
  QList<QByteArray> ids;
  for (const QString &id : userIds)
    ids.append(id.toUtf8());
  std::function<void()> tell = [room, event, ids] {
    ilive::Vector<ilive::String> list;
    for (const QByteArray &id : ids)
      list.push_back(ilive::String(id.constData(), static_cast<size_t>(id.size())));
    room.memberStatus(event, list, room.data);
  };
  if (afterMedia)
    toMedia([tell](MediaEngine &) { postToGui(tell); });
  else
    postToGui(tell);
}

void LiveSession::onPingTimer() {
  if (!signedIn() || !m_inRoom)
    return;
  if (m_pingOutstanding)
    m_pingLost.append(true);
  while (m_pingLost.size() > kQualityWindow)
    m_pingLost.removeFirst();
  m_pingOutstanding = true;
  const qint64 sentAt = QDateTime::currentMSecsSinceEpoch();
  m_client->ping([this, sentAt](const sdk::HubReply &r) {
    if (!m_pingOutstanding || r.code != 0)
      return;
    m_pingOutstanding = false;
    m_pingLost.append(false);
    reportQuality(r, sentAt);
  });
}

void LiveSession::reportQuality(const sdk::HubReply &r, qint64 sentAt) {
  const RoomSpec room = m_room;
  if (!room.quality)
    return;
  ilive::QualityReport q;
  const int lost = static_cast<int>(m_pingLost.count(true));
  q.lossRateSend = static_cast<uint16_t>(m_pingLost.isEmpty() ? 0 : lost * 10000 / m_pingLost.size());
  const double sent = r.body.value(QStringLiteral("sentFrames")).toDouble();
  const double dropped = r.body.value(QStringLiteral("droppedFrames")).toDouble();
  q.lossRateRecv = static_cast<uint16_t>(sent + dropped > 0 ? dropped * 10000 / (sent + dropped) : 0);
  q.rttMs = static_cast<uint32_t>(QDateTime::currentMSecsSinceEpoch() - sentAt);
  const sdk::MediaStats media = m_mediaLink ? m_mediaLink->takeStats() : sdk::MediaStats();
  q.sendKbps = static_cast<uint32_t>(media.bytesSent * 8 / kPingIntervalMs);
  q.recvKbps = static_cast<uint32_t>(media.bytesReceived * 8 / kPingIntervalMs);
  postToGui([room, q] { room.quality(q, room.data); });
}

void LiveSession::leaveRoomState() {
  if (m_imResume.active()) {
    m_imResume.stop();
    m_unsent.failAll(ilive::ERR_CONNECTION_LOST, QStringLiteral("left the class during a cut"));
    updateReconnecting();
  }
  m_inRoom = false;
  m_pingTimer.stop();
  m_pushes.clear();
  updatePublishing();
}

// Lets go of a broken client but keeps the sign-in, the room and the streams for the comeback.
void LiveSession::retireClient() {
  sdk::HubClient *client = m_client;
  m_client = nullptr;
  if (client) {
    client->disconnect(this);
    client->close();
    client->deleteLater();
  }
}

void LiveSession::dropClient() {
  imbridge::setSender({});
  m_user.clear();
  m_inRoom = false;
  // close() answers the pending requests at once; their callbacks see the client already gone.
  if (sdk::ImTransport *im = m_im) {
    m_im = nullptr;
    im->disconnect(this);
    im->signOut();
    im->deleteLater();
  }
  dropMedia();
  sdk::HubClient *client = m_client;
  m_client = nullptr;
  if (client) {
    client->close();
    client->deleteLater();
  }
}

void LiveSession::shutdown() {
  abandonResume();
  leaveRoomState();
  if (m_client) {
    m_client->disconnect(this);
    dropClient();
  }
}

} // namespace ilivesdk

// The session's side of a comeback after a cut: the room stays joined in the program's eyes
// while LinkResume brings a new link; then the streams are published and asked for again and
// what the program sent meanwhile goes out once.
#include "sdk/live/livesession.h"

#include "sdk/im/imbridge.h"
#include "sdk/live/guipost.h"
#include "sdk/live/mediaengine.h"

namespace ilivesdk {

void LiveSession::startResume(int code, const QString &reason) {
  retireClient();
  m_pingTimer.stop();
  m_pingOutstanding = false;
  m_resume.start({m_user, m_userSig, m_room.roomId, m_room.role, m_room.authBuffer, m_lastSeq,
                  QLatin1String(hubproto::kRoleGuest)},
                 code, reason);
  updateReconnecting();
}

void LiveSession::onResumed(sdk::HubClient *client, const QJsonObject &joined) {
  m_client = client;
  // IM over the hub rides on the new link; IM on its own server never left.
  if (imOnHub())
    attachIm(m_imRoute);
  // Media on Janus keep their own link.
  if (m_mediaRoute.onHub())
    attachMedia(m_user);
  m_pingLost.clear();
  m_pingTimer.start(kPingIntervalMs);
  if (m_resume.role() != m_room.role)
    cameBackOffStage();
  reportMembers(joined);
  republish();
  if (!m_requested.isEmpty())
    requestStreams(m_requested, Completion{});
  sendUnsent();
  updateReconnecting();
}

// The link stayed away: the room is lost as before there were comebacks.
void LiveSession::onGaveUp(ClassLink link, int code, const QString &reason) {
  const bool wasInRoom = m_inRoom;
  const RoomSpec room = m_room;
  // One link gave up: the other's comeback is moot.
  m_resume.stop();
  m_unsent.failAll(ilive::ERR_CONNECTION_LOST, QStringLiteral("the link to the class did not come back"));
  leaveRoomState();
  dropClient();
  if (!wasInRoom)
    return;
  updateReconnecting();
  if (!room.connectionLost)
    return;
  const QString lost = link == ClassLink::Hub ? QStringLiteral("connection to the class hub lost (%1): ")
                                               : QStringLiteral("connection to the class IM server lost (%1): ");
  const QByteArray text = (lost.arg(code) + reason).toUtf8();
  postToGui([room, text] { room.connectionLost(ilive::ERR_CONNECTION_LOST, text.constData(), room.data); });
}

// Leaving while the link is being brought back: there is nothing to leave on the hub.
bool LiveSession::abandonResume() {
  if (!m_resume.active())
    return false;
  m_resume.stop();
  m_unsent.failAll(ilive::ERR_CONNECTION_LOST, QStringLiteral("left the class during a cut"));
  leaveRoomState();
  dropClient();
  updateReconnecting();
  return true;
}

// The seat was given up while the link was away, and the stage with it: the streams stay
// ended and the program hears that it is off stage.
void LiveSession::cameBackOffStage() {
  m_room.role = m_resume.role();
  m_pushes.clear();
  m_hubChannels.clear();
  updatePublishing();
  memberStatus(ilive::MEMBER_OFF_STAGE, {m_user});
}

// The hub ended the streams with the old link; the program keeps the channel ids it knows.
void LiveSession::republish() {
  for (auto it = m_pushes.cbegin(); it != m_pushes.cend(); ++it) {
    const quint64 channel = it.key();
    const ilive::PushDataType type = it.value();
    const hubproto::Source source = pushSource(type);
    m_client->publish(source, type == ilive::PUSH_CAMERA, [this, channel](const sdk::HubReply &r) {
      bool ok = false;
      const quint64 hubChannel = r.body.value(QStringLiteral("channelId")).toString().toULongLong(&ok);
      if (r.code == 0 && ok && m_pushes.contains(channel))
        m_hubChannels.insert(channel, hubChannel);
    });
    toMedia([source](MediaEngine &media) { media.requestKeyframe(source); });
  }
}

void LiveSession::sendNow(PendingSend send) {
  // Cut on its way: it goes again, under the same key, once the link is back.
  auto comingBack = [this] { return m_inRoom && !m_user.isEmpty(); };
  if (imOnHub())
    return m_unsent.sendOn(m_client, std::move(send), comingBack);
  m_unsent.sendOn(m_im, std::move(send), comingBack);
}

// What waited for the link that carries IM goes out once, in order.
void LiveSession::sendUnsent() {
  if (imAway())
    return;
  for (PendingSend &send : m_unsent.takeAll())
    sendNow(std::move(send));
}

// The IM server's link dropped: in class it is brought back, meanwhile sends wait.
void LiveSession::onImLost(int code, const QString &reason) {
  if (!m_inRoom || m_user.isEmpty())
    return onGaveUp(ClassLink::ImServer, code, reason);
  m_imResume.start(m_im, code, reason);
  updateReconnecting();
}

void LiveSession::onImResumed() {
  sendUnsent();
  updateReconnecting();
}

// The hub hands a comeback only what came after the last message seen. IM over the hub is
// delivered from here, not from its transport: a comeback's backlog arrives on the new link
// before the transport is attached to it.
void LiveSession::onImMessage(const hubproto::ImMessage &m) {
  m_lastSeq = qMax(m_lastSeq, m.seq);
  if (m_imEnabled && imOnHub())
    imbridge::deliver(m);
}

void LiveSession::updateReconnecting() {
  const bool on = m_resume.active() || m_imResume.active();
  if (on == m_reconnectingShown)
    return;
  m_reconnectingShown = on;
  const RoomSpec room = m_room;
  if (room.reconnecting)
    postToGui([room, on] { room.reconnecting(on, room.data); });
}

} // namespace ilivesdk

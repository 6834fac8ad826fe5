// The teacher's side of a comeback after a cut: the room stays joined in the programs' eyes
// while LinkResume brings a new link; then the streams are published again, the roster is
// brought up to date and what was sent meanwhile goes out once.
#include "teacher/teachersession.h"

#include "sdk/net/hubclient.h"

void TeacherSession::onConnectionLost(int code, const QString &reason) {
  if (isInRoom() && m_signedIn)
    return startResume(code, reason);
  onGaveUp(code, reason);
}

void TeacherSession::startResume(int code, const QString &reason) {
  if (sdk::HubClient *client = m_client) {
    m_client = nullptr;
    client->disconnect(this);
    client->close();
    client->deleteLater();
  }
  m_keepAlive.stop();
  m_encoders.clear();
  m_decoders.clear();
  // The teacher's role needs no stage grant: no other role to come back in.
  m_resume.start({m_userId, m_userSig, m_roomId, m_roomRole, m_authBuffer, m_lastSeq, QString()}, code, reason);
  updateReconnecting();
}

void TeacherSession::onResumed(sdk::HubClient *client, const QJsonObject &joined) {
  m_client = client;
  // IM over the hub rides on the new link; IM on its own server never left.
  if (imOnHub())
    attachIm();
  // So do media over the hub; those through Janus never left.
  if (m_mediaRoute.onHub())
    attachMedia(m_userId);
  m_keepAlive.start(kKeepAliveMs);
  // Who came and went while the link was away: the hub told the room, not us.
  const QSet<QString> before = m_members;
  m_members.clear();
  noteMembers(joined, nullptr);
  for (const QString &id : before)
    if (!m_members.contains(id))
      emit memberLeft(id);
  for (const QString &id : qAsConst(m_members))
    if (!before.contains(id))
      emit memberEntered(id);
  republish();
  sendUnsent();
  updateReconnecting();
}

// The hub ended the streams with the old link; they are published again on the new one and
// start with a keyframe.
void TeacherSession::republish() {
  const QList<int> sources = m_channels.keys();
  for (int s : sources) {
    const auto source = static_cast<hubproto::Source>(s);
    m_client->publish(source, s == m_audioSource, [this, s](const sdk::HubReply &r) {
      bool ok = false;
      const quint64 channel = r.body.value(QLatin1String("channelId")).toString().toULongLong(&ok);
      if (r.code != 0 || !ok || !m_channels.contains(s) || !m_media)
        return;
      m_channels.insert(s, channel);
      m_media->publish(static_cast<hubproto::Source>(s));
      if (s == m_audioSource)
        m_media->publish(hubproto::Source::Audio);
    });
  }
}

void TeacherSession::onGaveUp(int code, const QString &reason) {
  onGone(QStringLiteral("the connection to the class hub was lost (%1: %2)").arg(code).arg(reason));
}

void TeacherSession::sendNow(ilivesdk::PendingSend send) {
  // Cut on its way: it goes again, under the same key, once the link is back.
  auto comingBack = [this] { return isInRoom() && m_signedIn; };
  if (imOnHub())
    return m_unsent.sendOn(m_client, std::move(send), comingBack);
  m_unsent.sendOn(m_im, std::move(send), comingBack);
}

// What waited for the link that carries IM goes out once, in order.
void TeacherSession::sendUnsent() {
  if (imAway())
    return;
  for (ilivesdk::PendingSend &send : m_unsent.takeAll())
    sendNow(std::move(send));
}

// The IM server's link dropped: in class it is brought back, meanwhile sends wait.
void TeacherSession::onImLost(int code, const QString &reason) {
  if (!isInRoom() || !m_signedIn)
    return onGone(QStringLiteral("the connection to the IM server was lost (%1: %2)").arg(code).arg(reason));
  m_imResume.start(m_im, code, reason);
  updateReconnecting();
}

void TeacherSession::updateReconnecting() {
  const bool on = isReconnecting();
  if (on == m_reconnectingShown)
    return;
  m_reconnectingShown = on;
  emit reconnecting(on);
}

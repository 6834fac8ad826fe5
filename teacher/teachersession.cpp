#include "teacher/teachersession.h"

#include "messaging/wbenvelope.h"

#include "messaging/classcommand.h"
#include "sdk/net/hubclient.h"
#include "protocol/mediaframe.h"

#include <QDateTime>
#include <QJsonArray>
#include <QMetaMethod>

using hubproto::Element;

namespace {

Element commandElement(int code, const QString &param) {
  Element e;
  e.kind = Element::Custom;
  e.data = ClassCommand::toJson(code, param);
  e.ext = QString::fromLatin1(ClassCommand::kExt);
  return e;
}

} // namespace

TeacherSession::TeacherSession(sdk::HubTransportFactory transports, QObject *parent)
    : QObject(parent), m_transports(std::move(transports)),
      m_decoders([this](const QString &owner, hubproto::Source source) {
        if (m_media)
          m_media->requestKeyframe(owner, source);
      }),
      m_keepAlive(this),
      m_resume([this] { return makeClient(); },
               [this](sdk::HubClient *client, const QJsonObject &joined) { onResumed(client, joined); },
               [this](int code, const QString &reason) { onGaveUp(code, reason); }, this),
      m_imResume([this] {
        sendUnsent();
        updateReconnecting();
      }, [this](int code, const QString &reason) {
        onGone(QStringLiteral("the connection to the IM server was lost (%1: %2)").arg(code).arg(reason));
      }, this) {
  connect(&m_keepAlive, &QTimer::timeout, this, [this] {
    if (m_client)
      m_client->ping([](const sdk::HubReply &) {});
  });
}

TeacherSession::~TeacherSession() {
  m_resume.stop();
  delete m_client;
}

sdk::HubClient *TeacherSession::makeClient() {
  auto *client = new sdk::HubClient(m_transports(), this);
  connect(client, &sdk::HubClient::memberNotice, this,
          [this](quint32 room, const QString &event, const QString &user, const QString &) {
            onMemberNotice(room, event, user);
          });
  connect(client, &sdk::HubClient::imMessage, this, &TeacherSession::onHubMessage);
  connect(client, &sdk::HubClient::connectionLost, this, &TeacherSession::onConnectionLost);
  connect(client, &sdk::HubClient::kicked, this, [this](int code, const QString &desc) {
    onGone(QStringLiteral("the teacher's account signed in elsewhere (%1: %2)").arg(code).arg(desc));
  });
  return client;
}

void TeacherSession::signIn(const QString &userId, const QString &userSig, Done done) {
  if (m_client) {
    done(hubproto::Already, QStringLiteral("already signed in"));
    return;
  }
  m_client = makeClient();
  m_userSig = userSig;
  m_lastSeq = 0;
  attachMedia(userId);
  sdk::HubClient *client = m_client;
  m_client->login(userId, userSig, [this, client, userId, done](const sdk::HubReply &r) {
    if (client != m_client)
      return done(hubproto::ClientConnectionLost, QStringLiteral("signed out meanwhile"));
    if (r.code != 0) {
      forget();
      return done(r.code, r.desc);
    }
    m_userId = userId;
    signInIm(done);
  });
}

// The media of this sign-in go through a transport of their own kind, the hub's by default.
// Over the hub they ride on the current link, so a comeback attaches them anew.
void TeacherSession::attachMedia(const QString &userId) {
  if (sdk::MediaTransport *old = m_media) {
    old->disconnect(this);
    old->deleteLater();
  }
  m_media = ilivesdk::createMediaTransport(m_mediaRoute, userId, m_client).release();
  m_media->setParent(this);
  connect(m_media, &sdk::MediaTransport::frameReceived, this, &TeacherSession::onFrame);
  connect(m_media, &sdk::MediaTransport::keyframeRequested, this,
          [this](hubproto::Source source) { m_encoders.requestKeyframe(source); });
  connect(m_media, &sdk::MediaTransport::streamEnded, this, [this](const QString &userId, hubproto::Source source) {
    m_decoders.forget(userId.toUtf8(), source);
    emit streamEnded(userId, source);
  });
}

// The IM transport for the route over the current hub client, in place of any earlier one.
void TeacherSession::attachIm() {
  if (sdk::ImTransport *old = m_im) {
    old->disconnect(this);
    old->deleteLater();
  }
  m_im = ilivesdk::createImTransport(m_imRoute, m_client).release();
  m_im->setParent(this);
  // Over the hub, onHubMessage delivers: a comeback's backlog comes before a transport is on
  // the new link.
  connect(m_im, &sdk::ImTransport::received, this, [this](const hubproto::ImMessage &m) {
    if (!imOnHub())
      onMessage(m);
  });
  // Over the hub the loss is the hub link's; an IM server's link comes back on its own.
  connect(m_im, &sdk::ImTransport::connectionLost, this, &TeacherSession::onImLost);
  connect(m_im, &sdk::ImTransport::forcedOffline, this,
          [this] { onGone(QStringLiteral("the teacher's account signed in elsewhere (IM server)")); });
}

void TeacherSession::signInIm(Done done) {
  attachIm();
  sdk::ImTransport *im = m_im;
  m_im->signIn(m_userId, [this, im, done](int code, const QString &desc) {
    if (im != m_im)
      return done(hubproto::ClientConnectionLost, QStringLiteral("signed out meanwhile"));
    if (code != 0) {
      forget();
      return done(code, desc);
    }
    m_signedIn = true;
    m_keepAlive.start(kKeepAliveMs);
    done(0, QString());
  });
}

void TeacherSession::enter(quint32 roomId, const QString &authBuffer, EnterDone done) {
  if (!m_signedIn)
    return done(hubproto::NotSignedIn, QStringLiteral("not signed in"), {});
  if (!linkUp([done](int code, const QString &desc) { done(code, desc, {}); }))
    return;
  m_client->join(roomId, m_role, authBuffer, [this, roomId, authBuffer, done](const sdk::HubReply &r) {
    if (r.code != 0 || !m_im)
      return done(r.code, r.desc, {});
    m_im->joinRoom(roomId, [this, roomId, authBuffer, joined = r.body, done](int code, const QString &desc) {
      if (code != 0)
        return done(code, desc, {});
      m_roomId = roomId;
      m_authBuffer = authBuffer;
      m_roomRole = m_role;
      m_lastSeq = qMax(m_lastSeq, static_cast<quint64>(joined.value(QLatin1String("lastSeq")).toDouble()));
      m_channels.clear();
      m_members.clear();
      QStringList members;
      noteMembers(joined, &members);
      done(0, QString(), members);
    });
  });
}

void TeacherSession::leave(Done done) {
  // Nothing to leave on the hub while the link is away; the held seat ends by itself.
  if (!m_signedIn || m_resume.active()) {
    forget();
    return done(0, QString());
  }
  if (!isInRoom())
    return logout(0, QString(), done);
  m_im->leaveRoom();
  m_client->quit([this, done](const sdk::HubReply &r) {
    m_roomId = 0;
    m_channels.clear();
    logout(r.code, r.desc, done);
  });
}

void TeacherSession::logout(int firstCode, const QString &firstDesc, Done done) {
  if (!m_client)
    return done(firstCode, firstDesc);
  m_client->logout([this, firstCode, firstDesc, done](const sdk::HubReply &r) {
    forget();
    const bool first = firstCode != 0;
    // The hub may close the link right after signing out; that is not a failure.
    const int code = r.code == hubproto::ClientConnectionLost ? 0 : r.code;
    done(first ? firstCode : code, first ? firstDesc : r.desc);
  });
}

void TeacherSession::forget() {
  m_resume.stop();
  m_imResume.stop();
  m_unsent.failAll(hubproto::ClientConnectionLost, QStringLiteral("signed out"));
  m_keepAlive.stop();
  m_signedIn = false;
  m_roomId = 0;
  m_channels.clear();
  m_members.clear();
  m_encoders.clear();
  m_decoders.clear();
  updateReconnecting();
  if (sdk::MediaTransport *media = m_media) {
    m_media = nullptr;
    media->disconnect(this);
    media->deleteLater();
  }
  if (sdk::ImTransport *im = m_im) {
    m_im = nullptr;
    im->disconnect(this);
    im->signOut();
    im->deleteLater();
  }
  if (m_client) {
    m_client->disconnect(this);
    m_client->close();
    m_client->deleteLater();
    m_client = nullptr;
  }
}

void TeacherSession::onGone(const QString &why) {
  forget();
  emit lost(why);
}

void TeacherSession::send(const QString &to, const QVector<Element> &elems, Done done,
                          const QString *offlinePushExt) {
  if (!isInRoom())
    return done(hubproto::NotInRoom, QStringLiteral("not in a room"));
  hubproto::Conversation conv;
  conv.type = to.isEmpty() ? hubproto::Conversation::Group : hubproto::Conversation::C2C;
  conv.peer = to.isEmpty() ? QString::number(m_roomId) : to;
  // A send waits out a cut of the link that carries IM, and goes once when it is back.
  ilivesdk::PendingSend pending{conv, elems, offlinePushExt != nullptr,
                                offlinePushExt ? *offlinePushExt : QString(), m_unsent.nextKey(), std::move(done)};
  if (imAway())
    return m_unsent.queue(std::move(pending));
  sendNow(std::move(pending));
}

bool TeacherSession::linkUp(const Done &done) const {
  if (m_client)
    return true;
  done(hubproto::ClientConnectionLost, QStringLiteral("the link to the class is being brought back"));
  return false;
}

void TeacherSession::sendCommand(const QString &to, int code, const QString &param, Done done) {
  send(to, {commandElement(code, param)}, std::move(done));
}

void TeacherSession::sendText(const QString &to, const QString &text, Done done) {
  Element e;
  e.kind = Element::Text;
  e.text = text;
  send(to, {e}, std::move(done));
}

void TeacherSession::sendWhiteboard(const QByteArray &envelope, Done done) {
  const QString ext = QString::fromLatin1(wbenvelope::kExt);
  Element e;
  // Up to the custom element's limit it travels as one; beyond, as a file.
  e.kind = std::size_t(envelope.size()) <= wbenvelope::kMaxCustomBytes ? Element::Custom : Element::File;
  e.data = envelope;
  (e.kind == Element::Custom ? e.ext : e.name) = ext;
  send(QString(), {e}, std::move(done), &ext);
}

void TeacherSession::grantStage(const QString &userId, Done done) {
  if (!isInRoom())
    return done(hubproto::NotInRoom, QStringLiteral("not in a room"));
  if (!linkUp(done))
    return;
  m_client->grantStage(userId, [done](const sdk::HubReply &r) { done(r.code, r.desc); });
}

void TeacherSession::revokeStage(const QString &userId, Done done) {
  if (!isInRoom())
    return done(hubproto::NotInRoom, QStringLiteral("not in a room"));
  if (!linkUp(done))
    return;
  m_client->revokeStage(userId, [done](const sdk::HubReply &r) { done(r.code, r.desc); });
}

void TeacherSession::changeRole(const QString &role, Done done) {
  if (!isInRoom())
    return done(hubproto::NotInRoom, QStringLiteral("not in a room"));
  if (!linkUp(done))
    return;
  m_client->changeRole(role, [this, role, done](const sdk::HubReply &r) {
    if (r.code == 0)
      m_roomRole = role;
    done(r.code, r.desc);
  });
}

void TeacherSession::publish(hubproto::Source source, Done done, bool withAudio) {
  if (!isInRoom())
    return done(hubproto::NotInRoom, QStringLiteral("not in a room"));
  if (!linkUp(done))
    return;
  m_client->publish(source, withAudio, [this, source, withAudio, done](const sdk::HubReply &r) {
    bool ok = false;
    const quint64 channel = r.body.value(QLatin1String("channelId")).toString().toULongLong(&ok);
    if (r.code == 0 && ok && m_media) {
      m_channels.insert(int(source), channel);
      m_media->publish(source);
      if (withAudio) {
        m_audioSource = int(source);
        m_media->publish(hubproto::Source::Audio);
      }
    }
    done(r.code == 0 && !ok ? hubproto::BadArgument : r.code, r.desc);
  });
}

void TeacherSession::unpublish(hubproto::Source source, Done done) {
  if (!m_channels.contains(int(source)))
    return done(hubproto::StreamNotFound, QStringLiteral("that stream is not published"));
  const quint64 channel = m_channels.take(int(source));
  m_encoders.stop(source);
  m_media->unpublish(source);
  if (int(source) == m_audioSource) {
    m_audioSource = -1;
    m_encoders.stop(hubproto::Source::Audio);
    m_media->unpublish(hubproto::Source::Audio);
  }
  // Away, the hub has ended the stream already.
  if (!m_client)
    return done(0, QString());
  m_client->unpublish(channel, [done](const sdk::HubReply &r) { done(r.code, r.desc); });
}

void TeacherSession::sendVideo(hubproto::Source source, const QByteArray &i420, int width, int height) {
  if (!m_media || !publishes(source))
    return;
  for (const hubproto::MediaFrame &f : m_encoders.video(source, i420, width, height, QDateTime::currentMSecsSinceEpoch()))
    m_media->sendFrame(f);
}

void TeacherSession::sendAudio(const QByteArray &pcm, int sampleRate) {
  if (!m_media || !m_channels.contains(m_audioSource))
    return;
  for (const hubproto::MediaFrame &f : m_encoders.voice(pcm, sampleRate, QDateTime::currentMSecsSinceEpoch()))
    m_media->sendFrame(f);
}

void TeacherSession::onFrame(const hubproto::MediaFrame &frame) {
  emit mediaFrame(frame);
  if (frame.kind != hubproto::MediaFrame::Video || !isSignalConnected(QMetaMethod::fromSignal(&TeacherSession::pictureReceived)))
    return;
  hubproto::MediaFrame decoded;
  if (m_decoders.receive(frame, QDateTime::currentMSecsSinceEpoch(), &decoded))
    emit pictureReceived(decoded);
}

void TeacherSession::sendElements(const QString &to, const QVector<Element> &elems, Done done) {
  send(to, elems, std::move(done));
}

void TeacherSession::onMessage(const hubproto::ImMessage &message) {
  emit messageReceived(message);
  // As the student's client does, a custom element is a command when it holds a JSON
  // object; code 0 (no usable "userAction", e.g. whiteboard data) means nothing here.
  for (const Element &e : message.elems) {
    ClassCommand parsed;
    if (e.kind != Element::Custom || !ClassCommand::parse(e.data, &parsed) || parsed.userAction == 0)
      continue;
    ReceivedCommand c;
    c.from = message.from;
    c.code = parsed.userAction;
    c.param = parsed.actionParam;
    c.direct = message.conv.type == hubproto::Conversation::C2C;
    emit commandReceived(c);
  }
}

void TeacherSession::onMemberNotice(quint32 roomId, const QString &event, const QString &userId) {
  if (roomId != m_roomId)
    return;
  if (event == QLatin1String("enter")) {
    m_members.insert(userId);
    emit memberEntered(userId);
  } else if (event == QLatin1String("exit")) {
    m_members.remove(userId);
    emit memberLeft(userId);
  }
}

// The others in the join's answer; others (when given) gets them in the hub's order.
void TeacherSession::noteMembers(const QJsonObject &joined, QStringList *others) {
  for (const QJsonValue &m : joined.value(QLatin1String("members")).toArray()) {
    const QString id = m.toObject().value(QLatin1String("userId")).toString();
    if (id == m_userId)
      continue;
    m_members.insert(id);
    if (others)
      others->append(id);
  }
}

// The hub hands a comeback only what came after the last message seen.
void TeacherSession::onHubMessage(const hubproto::ImMessage &message) {
  m_lastSeq = qMax(m_lastSeq, message.seq);
  if (imOnHub())
    onMessage(message);
}

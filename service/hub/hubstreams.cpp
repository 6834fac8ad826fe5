// Media streams: publishing, asking for a member's stream and forwarding frames.
#include "service/hub/hub.h"

#include "service/hub/hubpeer.h"
#include "protocol/mediaframe.h"
#include "service/hub/participant.h"
#include "protocol/protocol.h"

#include <QJsonArray>

using namespace hubproto;

namespace {
constexpr int kMaxRequestedStreams = 16;
constexpr qint64 kFrameErrorIntervalMs = 1000;

bool isVideo(Source s) { return s == Source::Camera || s == Source::Screen || s == Source::Media; }
} // namespace

void Hub::onPublish(Participant &p, const Envelope &env) {
  QString name;
  Source source{};
  const QJsonValue audio = env.body.value(QLatin1String("audio"));
  if (!readString(env.body, "source", &name) || !sourceFromName(name, &source) ||
      !isVideo(source) || (!audio.isUndefined() && !audio.isBool())) {
    reply(p, env.id, BadArgument, QStringLiteral("publish needs a video source"));
    return;
  }
  if (!p.inRoom()) {
    reply(p, env.id, NotInRoom, QStringLiteral("not in a room"));
    return;
  }
  if (!roleMayPublish(p.role)) {
    reply(p, env.id, NotAllowed, QStringLiteral("listeners do not publish"));
    return;
  }
  const bool hadAudio = p.publishes(Source::Audio);
  quint64 channel = 0;
  for (auto it = p.publications.begin(); it != p.publications.end(); ++it) {
    if (it->video == source) {
      channel = it.key();
      it->audio = it->audio || audio.toBool();
    }
  }
  if (channel == 0) {
    channel = m_nextChannel++;
    p.publications.insert(channel, Publication{source, audio.toBool()});
    notifyStream(p, source, true);
  }
  if (!hadAudio && p.publishes(Source::Audio))
    notifyStream(p, Source::Audio, true);
  QJsonObject result;
  result.insert(QStringLiteral("channelId"), QString::number(channel));
  reply(p, env.id, Ok, QString(), result);
}

void Hub::onUnpublish(Participant &p, const Envelope &env) {
  bool ok = false;
  const quint64 channel =
      env.body.value(QLatin1String("channelId")).toString().toULongLong(&ok);
  if (!ok || !p.publications.contains(channel)) {
    reply(p, env.id, StreamNotFound, QStringLiteral("no such channel"));
    return;
  }
  const Publication gone = p.publications.take(channel);
  if (!p.publishes(gone.video))
    notifyStream(p, gone.video, false);
  if (gone.audio && !p.publishes(Source::Audio))
    notifyStream(p, Source::Audio, false);
  reply(p, env.id);
}

void Hub::endPublications(Participant &p) {
  for (int s = 0; s < kSourceCount; ++s) {
    if (p.publishes(static_cast<Source>(s)))
      notifyStream(p, static_cast<Source>(s), false);
  }
  p.publications.clear();
}

void Hub::notifyStream(const Participant &p, Source source, bool on) {
  QJsonObject notice = makeNotice(QStringLiteral("stream"));
  notice.insert(QStringLiteral("roomId"), static_cast<qint64>(p.roomId));
  notice.insert(QStringLiteral("userId"), p.userId);
  notice.insert(QStringLiteral("source"), sourceName(source));
  notice.insert(QStringLiteral("state"), on ? QStringLiteral("on") : QStringLiteral("off"));
  notifyRoom(p.roomId, notice, p.id);
}

void Hub::onRequest(Participant &p, const Envelope &env) {
  if (!p.inRoom()) {
    reply(p, env.id, NotInRoom, QStringLiteral("not in a room"));
    return;
  }
  const QJsonArray streams = env.body.value(QLatin1String("streams")).toArray();
  if (streams.isEmpty() || streams.size() > kMaxRequestedStreams) {
    reply(p, env.id, BadArgument, QStringLiteral("request needs 1 to 16 streams"));
    return;
  }
  QList<StreamKey> wanted;
  for (const QJsonValue &item : streams) {
    QString owner;
    QString name;
    Source source{};
    const QJsonObject o = item.toObject();
    if (!readString(o, "userId", &owner) || !readString(o, "source", &name) ||
        !sourceFromName(name, &source) || !isVideo(source)) {
      reply(p, env.id, BadArgument, QStringLiteral("a stream is a userId and a video source"));
      return;
    }
    const Participant *publisher = find(m_byUser.value(owner));
    if (!publisher || publisher->roomId != p.roomId) {
      reply(p, env.id, NotInRoom, QStringLiteral("%1 is not in your room").arg(owner.left(128)));
      return;
    }
    if (!publisher->publishes(source)) {
      reply(p, env.id, StreamNotFound, QStringLiteral("%1 does not publish %2").arg(owner.left(128), name));
      return;
    }
    wanted.append(StreamKey(owner, static_cast<int>(source)));
  }
  for (const StreamKey &key : wanted)
    p.subscriptions.insert(key);
  reply(p, env.id);
}

void Hub::refuseFrame(Participant &p, int code, const QString &why) {
  if (p.lastFrameErrorMs >= 0 && p.lastSeenMs - p.lastFrameErrorMs < kFrameErrorIntervalMs)
    return;
  p.lastFrameErrorMs = p.lastSeenMs;
  send(p, makeError(code, why));
}

void Hub::handleFrame(Participant &p, const QByteArray &bytes) {
  if (bytes.size() > m_limits.maxBinaryBytes) {
    refuseFrame(p, TooLarge, QStringLiteral("media frame over %1 bytes").arg(m_limits.maxBinaryBytes));
    return;
  }
  if (!p.inRoom()) {
    refuseFrame(p, NotInRoom, QStringLiteral("media frame outside a room"));
    return;
  }
  MediaFrame frame;
  QString why;
  if (!decodeFrame(bytes, &frame, &why)) {
    refuseFrame(p, BadFrame, QStringLiteral("bad media frame: %1").arg(why));
    return;
  }
  if (!p.publishes(frame.source)) {
    refuseFrame(p, BadFrame, QStringLiteral("bad media frame: stream not published"));
    return;
  }
  if (!p.media.take(p.lastSeenMs, bytes.size())) {
    refuseFrame(p, RateLimited, QStringLiteral("too much media"));
    return;
  }
  fanOut(p, frame);
}

void Hub::fanOut(Participant &from, const MediaFrame &frame) {
  const QByteArray stamped = withUserId(frame, from.userId.toUtf8());
  for (Participant *to : roomPeers(from.roomId, from.id)) {
    if (!to->wants(from.userId, frame.source))
      continue;
    if (!admitFrame(from, *to, frame, stamped.size())) {
      ++to->droppedFrames;
      continue;
    }
    to->peer->sendBinary(stamped);
    ++to->sentFrames;
  }
}

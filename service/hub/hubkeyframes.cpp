// Keyframes: subscribers ask for them, and the hub never hands a subscriber a video chain
// with a hole in it. A subscriber gets a stream's frames only from a keyframe on; when its
// queue is too full for a frame, it loses the rest of that chain up to the next keyframe, and
// the publisher is asked for one (at most a few times per second per stream).
#include "service/hub/hub.h"

#include "protocol/mediaframe.h"
#include "protocol/protocol.h"
#include "service/hub/hubpeer.h"
#include "service/hub/participant.h"

using namespace hubproto;

namespace {
constexpr qint64 kKeyframeAskIntervalMs = 300;
} // namespace

void Hub::onKeyframe(Participant &p, const Envelope &env) {
  QString owner;
  QString name;
  Source source{};
  if (!readString(env.body, "userId", &owner) || !readString(env.body, "source", &name) ||
      !sourceFromName(name, &source) || source == Source::Audio) {
    reply(p, env.id, BadArgument, QStringLiteral("keyframe needs a userId and a video source"));
    return;
  }
  Participant *publisher = find(m_byUser.value(owner));
  if (!p.inRoom() || !publisher || publisher->roomId != p.roomId) {
    reply(p, env.id, NotInRoom, QStringLiteral("not in that member's room"));
    return;
  }
  if (!publisher->publishes(source)) {
    reply(p, env.id, StreamNotFound, QStringLiteral("that stream is not published"));
    return;
  }
  if (!p.wants(owner, source)) {
    reply(p, env.id, NotAllowed, QStringLiteral("not a subscriber of that stream"));
    return;
  }
  reply(p, env.id);
  askKeyframe(*publisher, source);
}

void Hub::askKeyframe(Participant &publisher, Source source) {
  const qint64 now = nowMs();
  auto last = publisher.keyframeAskedMs.find(int(source));
  if (last != publisher.keyframeAskedMs.end() && now - last.value() < kKeyframeAskIntervalMs)
    return;
  publisher.keyframeAskedMs.insert(int(source), now);
  QJsonObject notice = makeNotice(QStringLiteral("keyframe"));
  notice.insert(QStringLiteral("source"), sourceName(source));
  send(publisher, notice);
}

bool Hub::admitFrame(Participant &from, Participant &to, const MediaFrame &frame, qint64 bytes) {
  const bool full = mediaQueueFull(to, bytes);
  if (frame.kind != MediaFrame::Video)
    return !full;
  const StreamKey key(from.userId, int(frame.source));
  if (to.wholeChains.contains(key)) {
    if (!full)
      return true;
    to.wholeChains.remove(key); // what follows this frame would refer to it
  } else if (frame.keyframe && !full) {
    to.wholeChains.insert(key);
    return true;
  }
  askKeyframe(from, frame.source);
  return false;
}

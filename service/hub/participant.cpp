#include "service/hub/participant.h"

Participant::Participant(quint64 id, HubPeer *peer, const HubLimits &limits, qint64 nowMs)
    : id(id), peer(peer), messages(limits.messagesPerSecond, limits.messageBurst),
      textBytes(limits.textBytesPerSecond, limits.textByteBurst),
      media(limits.mediaBytesPerSecond, limits.mediaBytesPerSecond), lastSeenMs(nowMs), unsignedSinceMs(nowMs) {}

bool Participant::isTeacher() const { return grantRole == QLatin1String(hubproto::kRoleLiveMaster); }

bool Participant::publishes(hubproto::Source source) const {
  for (const Publication &p : publications) {
    if (source == hubproto::Source::Audio ? p.audio : p.video == source)
      return true;
  }
  return false;
}

bool Participant::wants(const QString &owner, hubproto::Source source) const {
  if (source == hubproto::Source::Audio || source == hubproto::Source::Camera)
    return true;
  return subscriptions.contains(StreamKey(owner, static_cast<int>(source)));
}

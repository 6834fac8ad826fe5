#pragma once
// One connection to the hub and what it has done so far: sign-in, room, role, streams.

#include "service/hub/hublimits.h"
#include "protocol/protocol.h"
#include "service/hub/ratelimiter.h"

#include <QHash>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QString>

class HubPeer;

struct Publication {
  hubproto::Source video = hubproto::Source::Camera;
  bool audio = false;
};

using StreamKey = QPair<QString, int>; // (owner's user id, source)

struct Participant {
  Participant(quint64 id, HubPeer *peer, const HubLimits &limits, qint64 nowMs);

  bool inRoom() const { return roomId != 0; }
  // The room's teacher: its room grant says LiveMaster.
  bool isTeacher() const;
  bool publishes(hubproto::Source source) const;
  bool wants(const QString &owner, hubproto::Source source) const;

  const quint64 id;
  HubPeer *const peer;
  QString userId; // empty until signed in
  quint32 roomId = 0;
  QString role;
  QString grantRole;         // the highest role the room grant allows by itself
  bool stageGranted = false; // the room's teacher let it on stage
  QMap<quint64, Publication> publications; // by channel id
  QSet<StreamKey> subscriptions;           // screen and media streams asked for
  QSet<StreamKey> wholeChains;             // video streams it has had every frame of since a keyframe
  QHash<int, qint64> keyframeAskedMs;      // by source: when its publisher was last asked
  RateLimiter messages;
  RateLimiter textBytes;
  RateLimiter media;
  qint64 lastSeenMs;
  qint64 unsignedSinceMs; // when it connected or last signed out
  qint64 lastFrameErrorMs = -1;
  qint64 lastRateErrorMs = -1;
  quint64 sentFrames = 0;
  quint64 droppedFrames = 0;
  bool dropping = false; // being removed; nothing more is sent to it
  bool closePeer = false; // the hub, not the transport, ends the connection
  int dropCode = 0;
  QString dropReason;
};

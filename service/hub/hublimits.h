#pragma once
// What the hub allows one connection (docs/protocol.md, "Limits").

#include "protocol/messagerights.h"

#include <QtGlobal>

struct HubLimits {
  int maxTextBytes = 1 << 20;
  int maxBinaryBytes = 8 << 20;
  double messagesPerSecond = 200;
  double messageBurst = 400;
  // Control bytes one sender may pass on: a flood is refused at its sender, so it never fills
  // the others' queues.
  double textBytesPerSecond = 1 << 20;
  double textByteBurst = 4 << 20;
  int maxChatTextBytes = hubproto::kMaxChatTextBytes;
  double mediaBytesPerSecond = 64.0 * (1 << 20);
  qint64 maxQueuedBytes = 16 << 20;        // beyond: the connection is dropped
  qint64 maxTeacherQueuedBytes = 64 << 20; // the same for the room's teacher
  qint64 maxQueuedMediaBytes = 4 << 20;    // beyond: media frames for it are dropped
  int idleTimeoutMs = 30000;
  // A connection that has not signed in this long after connecting (or signing out) is dropped;
  // pings do not extend it.
  int signInDeadlineMs = 5000;
  // A member whose connection went away keeps its place this long for its comeback.
  int seatHoldMs = 30000;
  // The IM messages each room keeps for members that come back after a cut.
  int backlogMessages = 1000;
  qint64 backlogBytes = 2 << 20;
};

#pragma once
// What the hub allows one connection (docs/protocol.md, "Limits").

#include <QtGlobal>

struct HubLimits {
  int maxTextBytes = 1 << 20;
  int maxBinaryBytes = 8 << 20;
  double messagesPerSecond = 200;
  double messageBurst = 400;
  double mediaBytesPerSecond = 64.0 * (1 << 20);
  qint64 maxQueuedBytes = 16 << 20;     // beyond: the connection is dropped
  qint64 maxQueuedMediaBytes = 4 << 20; // beyond: media frames for it are dropped
  int idleTimeoutMs = 30000;
};

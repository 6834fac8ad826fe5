// Fuzz target: whatever bytes a participant sends, as a control message or as a media frame,
// the hub answers or drops them without crashing, and nothing reaches the other room.
#include "fuzzapp.h"
#include "hub/hubfixture.h"

#include <QJsonArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct World {
  World() : hub(kTestSecret), fuzzer(hub), witness(hub) {
    HubLimits limits;
    limits.messagesPerSecond = 1e12;
    limits.messageBurst = 1e12;
    limits.maxTextBytes = 1 << 16;
    hub.setLimits(limits);
    fuzzer.login(QStringLiteral("fuzzer"));
    fuzzer.join(1, QStringLiteral("LiveGuest"));
    fuzzer.publish(QStringLiteral("camera"), true);
    witness.login(QStringLiteral("witness"));
    witness.join(2);
  }
  Hub hub;
  TestParticipant fuzzer;
  TestParticipant witness;
};

World &world() {
  fuzzapp::init();
  static World w;
  return w;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  World &w = world();
  if (size == 0)
    return 0;
  const QByteArray bytes(reinterpret_cast<const char *>(data + 1), static_cast<int>(size - 1));
  if (data[0] & 1)
    w.fuzzer.frame(bytes);
  else
    w.fuzzer.raw(bytes);
  w.fuzzer.peer.texts.clear();
  w.fuzzer.peer.frames.clear();
  const bool witnessHeard = !w.witness.take(QStringLiteral("message")).isEmpty() || !w.witness.peer.frames.isEmpty();
  fuzzapp::check(!witnessHeard || w.hub.isInRoom(QStringLiteral("fuzzer"), 2),
                 "traffic crossed into another room");
  // The fuzzer may sign itself out or leave; put it back so later inputs reach a room.
  if (w.fuzzer.peer.closed || !w.hub.isOnline(QStringLiteral("fuzzer")) ||
      !w.hub.isInRoom(QStringLiteral("fuzzer"), 1)) {
    w.fuzzer.login(QStringLiteral("fuzzer"));
    w.fuzzer.join(1, QStringLiteral("LiveGuest"));
  }
  w.witness.peer.texts.clear();
  w.witness.peer.frames.clear();
  return 0;
}

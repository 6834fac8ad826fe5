#pragma once
// The IM message hook: every arriving IM message passes here on the IM delivery thread.
// Whiteboard messages (offline-push extension "TXWhiteBoardExt") go to the whiteboard
// decoder of IMService; every other message becomes one std::vector<LiveMessage> emitted
// with the classroom window's receiveMessage signal. Each message of a batch is routed on its
// own, in order.

#include "sdk/im/imsdk.h"

class QObject;

class MessageHook {
public:
  static const char *const kWhiteboardExt; // "TXWhiteBoardExt"

  // Registers the hook with the IM library, the window as its user data. The window must
  // have the signal receiveMessage(QString, std::vector<LiveMessage>*).
  static void install(QObject *window);
  // Unregisters it. When this returns no call of the hook is running and none will reach
  // the window, so the window may be destroyed.
  static void uninstall();

  // The hook itself. Calls are serialised: they never overlap, whichever thread makes them.
  static void onNewMessage(im::MessageHandle *msgs, uint32_t count, void *data);

  static bool isWhiteboardMessage(im::MessageHandle msg);

private:
  static void decodeClassMessage(im::MessageHandle msg, QObject *window);
};

#pragma once
// Hands one decoded message to the classroom window: emits the window's
// receiveMessage(QString, std::vector<LiveMessage>*) signal on the calling thread, so the
// window's automatic connection queues it to the GUI thread.
// The signal must be declared with the parameter type spelled std::vector<LiveMessage>*.
//
// A queued list may never reach a slot: the window can go away with the delivery still
// queued, or nothing may be connected yet. So the sink keeps every list it handed out until
// the receiving slot takes it; the window drops what is left for it when it goes away.

#include "messaging/livemessage.h"

#include <memory>

class QObject;
class QString;

class MessageSink {
public:
  // Ownership of msgs passes to the window's slot, which takes it with take(). When the
  // window has no such signal the list is freed here and false is returned.
  static bool emitReceiveMessage(QObject *window, const QString &sender, LiveMessageList *msgs);
  // The receiving slot's side: the list is the caller's from now on (also one that did not
  // come through the sink).
  static std::unique_ptr<LiveMessageList> take(LiveMessageList *msgs);
  // Frees every list handed to window and not taken; for the window's destructor, after the
  // hook is uninstalled. Answers how many were freed.
  static int dropPending(QObject *window);
  // Lists handed out and neither taken nor dropped.
  static int pendingCount();
};

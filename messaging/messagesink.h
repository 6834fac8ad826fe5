#pragma once
// Hands one decoded message to the classroom window: emits the window's
// receiveMessage(QString, std::vector<LiveMessage>*) signal on the calling thread, so the
// window's automatic connection queues it to the GUI thread.
// The signal must be declared with the parameter type spelled std::vector<LiveMessage>*.

#include "messaging/livemessage.h"

class QObject;
class QString;

class MessageSink {
public:
  // Ownership of msgs passes to the window's slot. When the window has no such signal the
  // list is freed here and false is returned.
  static bool emitReceiveMessage(QObject *window, const QString &sender, LiveMessageList *msgs);
};

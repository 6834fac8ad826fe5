#pragma once
// Where the IM library meets the live SDK's connection: the live SDK hands every received
// message to deliver() and lends the IM library its send path. Internal to the SDK layer.

#include "protocol/immessage.h"

#include <functional>

namespace im {
struct MessageCallback;
}

namespace imbridge {

using SendDone = std::function<void(int code, const QString &desc)>;
using Sender = std::function<void(const hubproto::Conversation &conv,
                                  const QVector<hubproto::Element> &elems,
                                  const QString *offlinePushExt, SendDone done)>;

// Any thread. An empty sender means "not signed in": sends then fail with code 2004.
void setSender(Sender sender);
Sender currentSender();
// Any thread. Copies the record (callback and user data) under the bridge's callback lock; null
// clears it. The delivery thread holds the same lock while it calls back, so once this returns
// no delivery runs with the record it replaced.
void setCallback(const im::MessageCallback *record);
// Any thread: queues the message for the delivery thread, which hands everything queued so
// far to the message callback as one batch.
void deliver(const hubproto::ImMessage &message);
// Runs fn on the delivery thread (callbacks of sends and file fetches).
void post(std::function<void()> fn);
// Waits until everything queued so far has been delivered (tests, release).
void flush();

} // namespace imbridge

#include "messaging/messagesink.h"

#include <QDebug>
#include <QHash>
#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QString>

namespace {

struct Pending {
  QMutex mutex;
  QHash<LiveMessageList *, QObject *> lists; // list -> the window it was handed to
};

Pending &pending() {
  static Pending p;
  return p;
}

void hold(LiveMessageList *msgs, QObject *window) {
  QMutexLocker lock(&pending().mutex);
  pending().lists.insert(msgs, window);
}

} // namespace

bool MessageSink::emitReceiveMessage(QObject *window, const QString &sender,
                                     LiveMessageList *msgs) {
  registerLiveMessageType();
  // Held before the signal: a direct connection takes it inside the call.
  hold(msgs, window);
  // Direct invocation emits the signal here, on the delivery thread; the window's own
  // connection decides how the slot is reached.
  const bool ok =
      window && QMetaObject::invokeMethod(window, "receiveMessage", Qt::DirectConnection,
                                          Q_ARG(QString, sender), Q_ARG(std::vector<LiveMessage> *, msgs));
  if (!ok) {
    qWarning("MessageSink--no receiveMessage signal on the message receiver, message dropped");
    take(msgs);
  }
  return ok;
}

std::unique_ptr<LiveMessageList> MessageSink::take(LiveMessageList *msgs) {
  QMutexLocker lock(&pending().mutex);
  pending().lists.remove(msgs);
  return std::unique_ptr<LiveMessageList>(msgs);
}

int MessageSink::dropPending(QObject *window) {
  QMutexLocker lock(&pending().mutex);
  int freed = 0;
  for (auto it = pending().lists.begin(); it != pending().lists.end();) {
    if (it.value() != window) {
      ++it;
      continue;
    }
    delete it.key();
    it = pending().lists.erase(it);
    ++freed;
  }
  return freed;
}

int MessageSink::pendingCount() {
  QMutexLocker lock(&pending().mutex);
  return pending().lists.size();
}

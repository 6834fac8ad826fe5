#include "sdk/im/imbridge.h"

#include "sdk/im/imhandles.h"
#include "sdk/im/imsdk.h"

#include <QCoreApplication>
#include <QMutex>
#include <QRecursiveMutex>
#include <QSemaphore>
#include <QThread>

#include <vector>

namespace imbridge {

namespace {

struct Delivery {
  Delivery() {
    thread.setObjectName(QStringLiteral("tarnwick-im-delivery"));
    worker.moveToThread(&thread);
    thread.start();
  }
  ~Delivery() {
    thread.quit();
    thread.wait();
  }
  QThread thread;
  QObject worker;
  QMutex lock;
  QList<hubproto::ImMessage> queue;
  bool drainPosted = false;
  Sender sender;
  // Recursive: a callback may replace or clear the record it runs under.
  QRecursiveMutex callbackLock;
  im::MessageCallback callback;
};

Delivery &delivery() {
  static Delivery d;
  return d;
}

void drain() {
  Delivery &d = delivery();
  QList<hubproto::ImMessage> batch;
  {
    QMutexLocker guard(&d.lock);
    batch.swap(d.queue);
    d.drainPosted = false;
  }
  QMutexLocker callbackGuard(&d.callbackLock);
  const im::MessageCallback cb = d.callback;
  if (batch.isEmpty() || !cb.onNewMessage)
    return;
  std::vector<im::ImMessage> messages(static_cast<size_t>(batch.size()));
  std::vector<im::MessageHandle> handles;
  for (int i = 0; i < batch.size(); ++i) {
    messages[static_cast<size_t>(i)].message = batch[i];
    handles.push_back(&messages[static_cast<size_t>(i)]);
  }
  cb.onNewMessage(handles.data(), static_cast<uint32_t>(handles.size()), cb.data);
}

} // namespace

void setSender(Sender sender) {
  Delivery &d = delivery();
  QMutexLocker guard(&d.lock);
  d.sender = std::move(sender);
}

void setCallback(const im::MessageCallback *record) {
  Delivery &d = delivery();
  QMutexLocker guard(&d.callbackLock);
  d.callback = record ? *record : im::MessageCallback();
}

Sender currentSender() {
  Delivery &d = delivery();
  QMutexLocker guard(&d.lock);
  return d.sender;
}

void deliver(const hubproto::ImMessage &message) {
  Delivery &d = delivery();
  QMutexLocker guard(&d.lock);
  d.queue.append(message);
  if (d.drainPosted)
    return;
  d.drainPosted = true;
  QMetaObject::invokeMethod(&d.worker, drain, Qt::QueuedConnection);
}

void post(std::function<void()> fn) {
  QMetaObject::invokeMethod(&delivery().worker, std::move(fn), Qt::QueuedConnection);
}

void flush() {
  if (QThread::currentThread() == &delivery().thread)
    return;
  QSemaphore done;
  post([&done] { done.release(); });
  done.acquire();
}

} // namespace imbridge

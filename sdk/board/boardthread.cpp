#include "sdk/board/boardthread.h"

#include <QDebug>
#include <QNetworkAccessManager>
#include <QSemaphore>

#include <memory>

namespace board {

BoardThread::BoardThread() : context_(new QObject) {
  thread_.setObjectName(QStringLiteral("board"));
  context_->moveToThread(&thread_);
  QObject::connect(&thread_, &QThread::finished, context_, &QObject::deleteLater);
  thread_.start();
}

void BoardThread::stop() {
  thread_.quit();
  thread_.wait();
}

void BoardThread::post(std::function<void()> job) {
  QMetaObject::invokeMethod(context_, std::move(job), Qt::QueuedConnection);
}

void BoardThread::drain() {
  if (QThread::currentThread() == &thread_ || !thread_.isRunning())
    return;
  // Shared, so that a barrier that runs after a timed-out wait releases nothing freed.
  auto done = std::make_shared<QSemaphore>();
  post([done] { done->release(); });
  // Jobs never block, so this is short; a stuck thread must not freeze the caller for good.
  if (!done->tryAcquire(1, kDrainTimeoutMs))
    qWarning("board: the library's thread did not finish its jobs in %d ms", kDrainTimeoutMs);
}

} // namespace board

namespace board {

QNetworkAccessManager *BoardThread::network() {
  if (!network_)
    network_ = new QNetworkAccessManager(context_);
  return network_;
}

} // namespace board

#include "sdk/board/boardthread.h"

#include <QNetworkAccessManager>

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

} // namespace board

namespace board {

QNetworkAccessManager *BoardThread::network() {
  if (!network_)
    network_ = new QNetworkAccessManager(context_);
  return network_;
}

} // namespace board

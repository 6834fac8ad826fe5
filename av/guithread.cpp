#include "av/guithread.h"

#include <QCoreApplication>
#include <QThread>

void runOnGuiThread(std::function<void()> fn) {
  QCoreApplication *app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    fn();
    return;
  }
  QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

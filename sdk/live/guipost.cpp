#include "sdk/live/guipost.h"

#include <QCoreApplication>

namespace ilivesdk {

void postToGui(std::function<void()> fn) {
  if (QCoreApplication *app = QCoreApplication::instance())
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

} // namespace ilivesdk

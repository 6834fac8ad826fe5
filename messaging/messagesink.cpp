#include "messaging/messagesink.h"

#include <QDebug>
#include <QMetaObject>
#include <QObject>
#include <QString>

bool MessageSink::emitReceiveMessage(QObject *window, const QString &sender,
                                     LiveMessageList *msgs) {
  registerLiveMessageType();
  // Direct invocation emits the signal here, on the delivery thread; the window's own
  // connection decides how the slot is reached.
  const bool ok =
      window && QMetaObject::invokeMethod(window, "receiveMessage", Qt::DirectConnection,
                                          Q_ARG(QString, sender), Q_ARG(std::vector<LiveMessage> *, msgs));
  if (!ok) {
    qWarning("MessageSink--no receiveMessage signal on the message receiver, message dropped");
    delete msgs;
  }
  return ok;
}

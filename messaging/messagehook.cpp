#include "messaging/messagehook.h"

#include "messaging/imbytes.h"
#include "messaging/imservice.h"
#include "messaging/livemessage.h"
#include "messaging/messagesink.h"

#include <QDebug>
#include <QRecursiveMutex>
#include <QMutexLocker>
#include <QObject>

const char *const MessageHook::kWhiteboardExt = "TXWhiteBoardExt";

namespace {

// Shared by every call of the hook and guarded by hookMutex().
struct HookState {
  im::MessageCallback record;      // lives for the process, as the library requires
  QObject *window = nullptr;       // the installed receiver; null once uninstalled
  int messageCounter = 0;
};

// Recursive so that a receiver reached directly (delivery on the receiver's own thread) may
// uninstall the hook from its slot.
QRecursiveMutex &hookMutex() {
  static QRecursiveMutex m;
  return m;
}

HookState &state() {
  static HookState s;
  return s;
}

LiveMessage decodeElem(im::ElemHandle elem, uint32_t time) {
  LiveMessage record;
  record.type = elem ? im::getElemType(elem) : im::IM_ELEM_INVALID;
  qDebug("type = <%d>\n", record.type);
  record.time = time;
  if (record.type == LiveMessage::Text || record.type == LiveMessage::Custom) {
    const QByteArray content = imbytes::read(elem, &im::getContentSize, &im::getContent);
    qDebug("text msg:%s", content.constData());
    record.text = QString::fromUtf8(content);
  } else if (record.type == LiveMessage::Face) {
    record.faceIndex = im::getFaceIndex(elem);
  }
  return record;
}

QString senderOf(im::MessageHandle msg) {
  return QString::fromUtf8(imbytes::read(msg, &im::getMessageSenderSize, &im::getMessageSender));
}

} // namespace

void MessageHook::install(QObject *window) {
  registerLiveMessageType();
  {
    QMutexLocker lock(&hookMutex());
    state().window = window;
    state().record.onNewMessage = &MessageHook::onNewMessage;
    state().record.data = window;
  }
  im::setMessageCallback(&state().record);
}

void MessageHook::uninstall() {
  im::setMessageCallback(nullptr);
  // Taking the lock waits for a call in progress; later calls find no window.
  QMutexLocker lock(&hookMutex());
  state().window = nullptr;
  state().record.data = nullptr;
}

bool MessageHook::isWhiteboardMessage(im::MessageHandle msg) {
  im::OfflinePushHandle push = im::createOfflinePush();
  QByteArray ext;
  if (im::getMessageOfflinePush(msg, push) == im::IM_OK)
    ext = imbytes::read(push, &im::getOfflinePushExtSize, &im::getOfflinePushExt);
  im::destroyOfflinePush(push);
  return ext == kWhiteboardExt;
}

void MessageHook::decodeClassMessage(im::MessageHandle msg, QObject *window) {
  qDebug("new message %d\n", state().messageCounter++);
  im::ConvHandle conv = im::createConversation();
  im::conversationFromMessage(conv, msg);
  const QString sender = senderOf(msg);
  auto *records = new LiveMessageList;
  // The count is read again after each element, as the message may be filled meanwhile.
  for (int i = 0; i < im::getElemCount(msg); ++i) {
    im::ElemHandle elem = im::getElem(msg, i);
    records->push_back(decodeElem(elem, im::getMessageTime(msg)));
    if (elem)
      im::destroyElem(elem);
  }
  MessageSink::emitReceiveMessage(window, sender, records);
  im::destroyConversation(conv);
}

void MessageHook::onNewMessage(im::MessageHandle *msgs, uint32_t count, void *data) {
  QMutexLocker lock(&hookMutex());
  // A call that raced with uninstall (or carries another window) reaches nobody.
  QObject *window = state().window;
  if (!window || window != data || !msgs)
    return;
  IMService *service = IMService::instance();
  for (uint32_t i = 0; i < count; ++i) {
    if (isWhiteboardMessage(msgs[i])) {
      if (service->mayWriteBoard(senderOf(msgs[i])))
        service->decodeWBMessage(msgs[i], im::getElemCount(msgs[i]));
    }
    else
      decodeClassMessage(msgs[i], window);
  }
}

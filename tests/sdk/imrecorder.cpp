#include "imrecorder.h"

#include <QCoreApplication>
#include <QThread>

namespace {
QByteArray readAll(uint32_t size, int (*get)(im::ElemHandle, char *, uint32_t *), im::ElemHandle e) {
  QByteArray buf(static_cast<int>(size) + 1, '\0');
  uint32_t len = static_cast<uint32_t>(buf.size());
  if (get(e, buf.data(), &len) != im::IM_OK)
    return QByteArray();
  buf.truncate(static_cast<int>(len));
  return buf;
}

} // namespace

ImRecorder::ImRecorder() {
  m_callback.onNewMessage = &ImRecorder::onNewMessage;
  m_callback.data = this;
  im::setMessageCallback(&m_callback);
}

ImRecorder::~ImRecorder() { im::setMessageCallback(nullptr); }

QList<ReadMessage> ImRecorder::take() {
  QMutexLocker guard(&m_lock);
  QList<ReadMessage> out;
  out.swap(m_messages);
  return out;
}

void ImRecorder::onFileData(const char *bytes, uint32_t length, void *data) {
  auto *self = static_cast<ImRecorder *>(data);
  QMutexLocker guard(&self->m_lock);
  self->m_files.append(QByteArray(bytes, static_cast<int>(length)));
}

QList<QByteArray> ImRecorder::files() const {
  QMutexLocker guard(&m_lock);
  return m_files;
}

int ImRecorder::count() const {
  QMutexLocker guard(&m_lock);
  return m_messages.size();
}

void ImRecorder::onNewMessage(im::MessageHandle *msgs, uint32_t count, void *data) {
  auto *self = static_cast<ImRecorder *>(data);
  if (self->m_inside)
    self->m_overlap = true;
  self->m_inside = true;
  QList<ReadMessage> batch;
  for (uint32_t i = 0; i < count; ++i)
    batch.append(self->read(msgs[i]));
  QMutexLocker guard(&self->m_lock);
  const int n = ++self->m_batches;
  for (ReadMessage &m : batch) {
    m.batch = n;
    self->m_messages.append(m);
  }
  self->m_inside = false;
}

ReadMessage ImRecorder::read(im::MessageHandle msg) {
  ReadMessage m{};
  QByteArray sender(static_cast<int>(im::getMessageSenderSize(msg)) + 1, '\0');
  uint32_t len = static_cast<uint32_t>(sender.size());
  im::getMessageSender(msg, sender.data(), &len);
  m.sender = QString::fromUtf8(sender.left(static_cast<int>(len)));
  m.time = im::getMessageTime(msg);
  m.onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
  im::OfflinePushHandle push = im::createOfflinePush();
  m.hasPush = im::getMessageOfflinePush(msg, push) == im::IM_OK;
  QByteArray ext(static_cast<int>(im::getOfflinePushExtSize(push)) + 1, '\0');
  len = static_cast<uint32_t>(ext.size());
  if (im::getOfflinePushExt(push, ext.data(), &len) == im::IM_OK)
    m.pushExt = ext.left(static_cast<int>(len));
  im::destroyOfflinePush(push);
  im::ConvHandle conv = im::createConversation();
  im::conversationFromMessage(conv, msg);
  m.convType = im::getConversationType(conv);
  QByteArray peer(static_cast<int>(im::getConversationPeerSize(conv)) + 1, '\0');
  len = static_cast<uint32_t>(peer.size());
  im::getConversationPeer(conv, peer.data(), &len);
  m.convPeer = peer.left(static_cast<int>(len));
  im::destroyConversation(conv);
  for (int i = 0; i < im::getElemCount(msg); ++i) {
    im::ElemHandle e = im::getElem(msg, i);
    ReadElem r{im::getElemType(e), QByteArray(), im::getFaceIndex(e), QByteArray()};
    if (r.type == im::IM_ELEM_TEXT || r.type == im::IM_ELEM_CUSTOM)
      r.content = readAll(im::getContentSize(e), im::getContent, e);
    if (r.type == im::IM_ELEM_FILE) {
      r.fileName = readAll(im::getFileNameSize(e), im::getFileName, e);
      im::FileDataCallback cb;
      cb.onSuccess = &ImRecorder::onFileData;
      cb.data = this;
      im::getFileData(e, &cb); // answers later on this thread, after this batch
    }
    im::destroyElem(e);
    m.elems.append(r);
  }
  return m;
}

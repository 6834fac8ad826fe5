#include "messaging/imservice.h"

#include "messaging/imrecvwbdatacallback.h"
#include "messaging/wbenvelope.h"
#include "messaging/wbmessage.h"

#include <json/json.h>

#include <QDebug>
#include <QMutexLocker>

IMService *IMService::instance() {
  // Magic static: one object even when first reached from two threads at once.
  static IMService *const service = new IMService;
  return service;
}

IMService::IMService() : decoder_(&wbmessage::decode) {}

void IMService::setWBDataReceiver(IMRecvWBDataCallback *receiver) {
  QMutexLocker lock(&receiverMutex_);
  receiver_ = receiver;
}

bool IMService::deliverWBData(const char *data, unsigned length) {
  QMutexLocker lock(&receiverMutex_);
  if (!receiver_)
    return false;
  receiver_->onRecvWBData(data, length);
  return true;
}

void IMService::setWBMessageDecoder(WBMessageDecoder decoder) { decoder_ = decoder; }

void IMService::decodeWBMessage(im::MessageHandle msg, int elemCount) {
  const WBMessageDecoder decoder = decoder_.load();
  if (!decoder) {
    qDebug("txcloud:whiteboard message dropped, no decoder");
    return;
  }
  decoder(msg, elemCount, this);
}

void IMService::setWBWriterCheck(std::function<bool(const QString &)> check) {
  QMutexLocker lock(&writerMutex_);
  writerCheck_ = std::move(check);
}

bool IMService::mayWriteBoard(const QString &sender) {
  QMutexLocker lock(&writerMutex_);
  return !writerCheck_ || writerCheck_(sender);
}

int IMService::takeWBSequence() { return wbSequence_.fetch_add(1); }

int IMService::peekWBSequence() const { return wbSequence_.load(); }

void IMService::setWBGroupId(const std::string &groupId) {
  QMutexLocker lock(&groupMutex_);
  groupId_ = groupId;
}

void IMService::sendWBData(const char *boardData) {
  std::string groupId;
  {
    QMutexLocker lock(&groupMutex_);
    groupId = groupId_;
  }
  Json::Value value;
  if (groupId.empty() || !wbenvelope::parseBoardData(boardData, &value))
    return;
  const uint32_t seq = static_cast<uint32_t>(takeWBSequence());
  wbmessage::send(groupId, wbenvelope::wrap(seq, wbenvelope::localTimestamp(), value));
}

#include "messaging/imservice.h"

#include "messaging/imrecvwbdatacallback.h"

#include <QDebug>
#include <QMutexLocker>

IMService *IMService::instance() {
  // Magic static: one object even when first reached from two threads at once.
  static IMService *const service = new IMService;
  return service;
}

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

int IMService::takeWBSequence() { return wbSequence_.fetch_add(1); }

int IMService::peekWBSequence() const { return wbSequence_.load(); }

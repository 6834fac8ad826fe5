#include "classroom/classcredentials.h"

#include <QMutexLocker>

ClassCredentials &ClassCredentials::instance() {
  static ClassCredentials record;
  return record;
}

void ClassCredentials::setApplication(uint32_t appId, uint32_t accountType) {
  QMutexLocker lock(&mutex_);
  appId_ = appId;
  accountType_ = accountType;
}

void ClassCredentials::setRoomId(int roomId) {
  QMutexLocker lock(&mutex_);
  roomId_ = roomId;
}

void ClassCredentials::setUserId(const QString &userId) {
  QMutexLocker lock(&mutex_);
  userId_ = userId;
}

void ClassCredentials::setUserSig(const QString &userSig) {
  QMutexLocker lock(&mutex_);
  userSig_ = userSig;
}

uint32_t ClassCredentials::appId() const {
  QMutexLocker lock(&mutex_);
  return appId_;
}

uint32_t ClassCredentials::accountType() const {
  QMutexLocker lock(&mutex_);
  return accountType_;
}

int ClassCredentials::roomId() const {
  QMutexLocker lock(&mutex_);
  return roomId_;
}

QString ClassCredentials::userId() const {
  QMutexLocker lock(&mutex_);
  return userId_;
}

QString ClassCredentials::userSig() const {
  QMutexLocker lock(&mutex_);
  return userSig_;
}

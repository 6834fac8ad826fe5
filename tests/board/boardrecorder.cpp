#include "boardrecorder.h"

void BoardRecorder::noteThread() {
  if (!threads_.contains(QThread::currentThread()))
    threads_.append(QThread::currentThread());
}

void BoardRecorder::onActionsData(const char *data, uint32_t length) {
  QMutexLocker lock(&mutex_);
  noteThread();
  actions_.append(QByteArray(data, int(length)));
}

void BoardRecorder::onStatusChanged(bool canUndo, bool canRedo, bool canCopy, bool canRemove) {
  QMutexLocker lock(&mutex_);
  noteThread();
  status_ = Status{canUndo, canRedo, canCopy, canRemove};
  ++statusCount_;
}

void BoardRecorder::onGetBoardData(bool result) {
  QMutexLocker lock(&mutex_);
  noteThread();
  ++boardData_;
  lastBoardData_ = result;
}

void BoardRecorder::onReportBoardData(int code, const char *) {
  QMutexLocker lock(&mutex_);
  noteThread();
  reports_.append(code);
}

QList<QByteArray> BoardRecorder::actions() const {
  QMutexLocker lock(&mutex_);
  return actions_;
}

int BoardRecorder::actionCount() const { return actions().size(); }

BoardRecorder::Status BoardRecorder::status() const {
  QMutexLocker lock(&mutex_);
  return status_;
}

int BoardRecorder::statusCount() const {
  QMutexLocker lock(&mutex_);
  return statusCount_;
}

int BoardRecorder::boardDataCount() const {
  QMutexLocker lock(&mutex_);
  return boardData_;
}

bool BoardRecorder::lastBoardData() const {
  QMutexLocker lock(&mutex_);
  return lastBoardData_;
}

QList<int> BoardRecorder::reports() const {
  QMutexLocker lock(&mutex_);
  return reports_;
}

bool BoardRecorder::cameOffThread(QThread *gui) const {
  QMutexLocker lock(&mutex_);
  return threads_.size() == 1 && threads_.first() != gui;
}

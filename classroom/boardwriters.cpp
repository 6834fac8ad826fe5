#include "classroom/boardwriters.h"

void BoardWriters::setTeacher(const QString &teacherId) {
  QMutexLocker lock(&mutex_);
  teacher_ = teacherId;
}

void BoardWriters::setOnStage(const QString &userId, bool onStage) {
  QMutexLocker lock(&mutex_);
  if (onStage)
    onStage_.insert(userId);
  else
    onStage_.remove(userId);
}

void BoardWriters::clear() {
  QMutexLocker lock(&mutex_);
  teacher_.clear();
  onStage_.clear();
}

bool BoardWriters::allows(const QString &userId) const {
  QMutexLocker lock(&mutex_);
  return !userId.isEmpty() && (userId == teacher_ || onStage_.contains(userId));
}

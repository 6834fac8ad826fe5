#include "teacher/teacherboardlink.h"

#include "messaging/wbenvelope.h"

#include <json/json.h>

void TeacherBoardLink::send(const char *boardData) {
  Json::Value value;
  if (!wbenvelope::parseBoardData(boardData, &value))
    return;
  sender_(QByteArray::fromStdString(wbenvelope::wrap(seq_++, wbenvelope::localTimestamp(), value)));
}

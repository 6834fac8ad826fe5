#include "whiteboard/imservicelink.h"

#include "messaging/imservice.h"
#include "whiteboard/boardclassdata.h"

void IMServiceLink::attach(const BoardClassData &data, IMRecvWBDataCallback *receiver) {
  IMService::instance()->setWBGroupId(data.groupId);
  IMService::instance()->setWBDataReceiver(receiver);
}

void IMServiceLink::detach() {
  IMService::instance()->setWBDataReceiver(nullptr);
  IMService::instance()->setWBGroupId(std::string());
}

void IMServiceLink::send(const char *boardData) { IMService::instance()->sendWBData(boardData); }

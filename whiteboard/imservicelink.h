#pragma once
// The class's IM group as a board's data link: IMService sends and receives.

#include "whiteboard/boarddatalink.h"

class IMServiceLink : public BoardDataLink {
public:
  void attach(const BoardClassData &data, IMRecvWBDataCallback *receiver) override;
  void detach() override;
  void send(const char *boardData) override;
};

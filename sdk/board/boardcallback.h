#pragma once
// What the whiteboard library tells its user. Every call comes on the library's own thread.

#include <cstdint>

class BoardCallback {
public:
  virtual ~BoardCallback() = default;
  // One local change as action data (JSON text; length without a terminating NUL).
  virtual void onActionsData(const char *data, uint32_t length) = 0;
  virtual void onStatusChanged(bool canUndo, bool canRedo, bool canCopy, bool canRemove) = 0;
  // The calendar time in seconds; stamps the action data.
  virtual uint32_t onGetTime() = 0;
  // The history asked for with getBoardData has been replayed (result false: it could not be loaded).
  virtual void onGetBoardData(bool result) = 0;
  virtual void onReportBoardData(int code, const char *detail) = 0;
  virtual void onNotify(int event) = 0;
};

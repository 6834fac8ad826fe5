#pragma once
// What the board service tells the whiteboard window. Called on the board library's thread
// (and, for the first status, on the thread that sets the listener).

class BoardServiceCallback {
public:
  virtual ~BoardServiceCallback() = default;
  // The page structure changed (board data ready, or the teacher's pages moved on).
  virtual void onRefreshBoardData(bool result) = 0;
  virtual void onStatusChanged(bool canUndo, bool canRedo, bool canCopy, bool canRemove) = 0;
};

#pragma once
// Receiver of whiteboard action data that arrived over IM (set by the board service).

class IMRecvWBDataCallback {
public:
  virtual ~IMRecvWBDataCallback() = default;
  // One received whiteboard message's board-action data; called on the IM delivery thread.
  virtual void onRecvWBData(const char *data, unsigned length) = 0;
};

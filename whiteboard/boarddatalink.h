#pragma once
// Where a board service's local data goes and from where the class's data comes in. The
// classroom's boards use the IM service (imservicelink.h); the scripted teacher brings a link
// over its own hub connection.

class IMRecvWBDataCallback;
struct BoardClassData;

class BoardDataLink {
public:
  virtual ~BoardDataLink() = default;
  // From now on data for the board goes to receiver.
  virtual void attach(const BoardClassData &data, IMRecvWBDataCallback *receiver) = 0;
  // Returns once no delivery to the receiver is running or will come.
  virtual void detach() = 0;
  // One batch of local action data (board library's thread).
  virtual void send(const char *boardData) = 0;
};

#pragma once
// The scripted teacher's board data link: wraps each batch of action data in the whiteboard
// envelope (its own sequence) and hands it to a sender; nothing comes in.

#include "whiteboard/boarddatalink.h"

#include <QByteArray>

#include <atomic>
#include <functional>

class TeacherBoardLink : public BoardDataLink {
public:
  using Sender = std::function<void(const QByteArray &envelope)>;
  explicit TeacherBoardLink(Sender sender) : sender_(std::move(sender)) {}

  void attach(const BoardClassData &, IMRecvWBDataCallback *) override {}
  void detach() override {}
  void send(const char *boardData) override;

private:
  Sender sender_;
  std::atomic<uint32_t> seq_{1};
};

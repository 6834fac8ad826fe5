#pragma once
// The process-wide IM service of the whiteboard: holds the receiver of whiteboard data that
// arrives over IM, the whiteboard send sequence and the decoder of whiteboard messages.
// Created on first use from any thread, never destroyed.

#include "sdk/im/imsdk.h"

#include <QRecursiveMutex>
#include <QString>
#include <atomic>
#include <functional>
#include <string>

class IMRecvWBDataCallback;
class IMService;

// Decodes one received whiteboard message (its handle is valid only during the call) and
// passes the unwrapped board data to IMService::deliverWBData. Runs on the IM delivery thread.
using WBMessageDecoder = void (*)(im::MessageHandle msg, int elemCount, IMService *service);

class IMService {
public:
  static IMService *instance();

  // Null clears it. Safe against a delivery in progress on the IM thread: the board service
  // may destroy its receiver as soon as this returns.
  void setWBDataReceiver(IMRecvWBDataCallback *receiver);
  // Hands unwrapped board-action data to the receiver, if one is set. False when none is.
  bool deliverWBData(const char *data, unsigned length);

  // The class group whiteboard data goes to; empty (the start, and always in the student
  // client) sends nothing.
  void setWBGroupId(const std::string &groupId);
  // Wraps one batch of local board-action data and sends it to the group (board thread).
  void sendWBData(const char *boardData);

  // Where the message hook sends whiteboard messages; the start decodes custom and file
  // elements into deliverWBData. Null drops them.
  void setWBMessageDecoder(WBMessageDecoder decoder);
  void decodeWBMessage(im::MessageHandle msg, int elemCount);

  // Who may write on the board: whiteboard messages from a sender the check refuses are
  // dropped. None set: everybody. Clearing it waits for a check in progress.
  void setWBWriterCheck(std::function<bool(const QString &sender)> check);
  bool mayWriteBoard(const QString &sender);

  // The sequence number for the next whiteboard send (1 for the first), advancing it.
  int takeWBSequence();
  int peekWBSequence() const;

private:
  IMService();
  IMService(const IMService &) = delete;
  IMService &operator=(const IMService &) = delete;

  // Recursive: a receiver may clear itself from inside onRecvWBData.
  QRecursiveMutex receiverMutex_;
  IMRecvWBDataCallback *receiver_ = nullptr;
  std::atomic<int> wbSequence_{1};
  std::atomic<WBMessageDecoder> decoder_;
  QMutex writerMutex_;
  std::function<bool(const QString &)> writerCheck_;
  QMutex groupMutex_;
  std::string groupId_;
};

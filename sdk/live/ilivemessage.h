#pragma once
// Outgoing IM messages of the live SDK: an ordered list of owned elements. Received messages
// come through the IM library (sdk/im/imsdk.h), which numbers element kinds differently.

#include "sdk/live/ilivetypes.h"

#include <cstdint>

namespace ilive {

// Element kind codes of the live SDK.
enum MessageElemType : int32_t {
  MESSAGE_ELEM_TEXT = 0,
  MESSAGE_ELEM_CUSTOM = 1,
  MESSAGE_ELEM_FACE = 3,
};

class MessageElem {
public:
  explicit MessageElem(MessageElemType type) : type(type) {}
  virtual ~MessageElem() = default;
  virtual MessageElem *clone() const = 0;

  const MessageElemType type;

protected:
  MessageElem(const MessageElem &) = default;
};

class MessageTextElem : public MessageElem {
public:
  explicit MessageTextElem(const String &text = String())
      : MessageElem(MESSAGE_ELEM_TEXT), text(text) {}
  MessageElem *clone() const override { return new MessageTextElem(*this); }
  String text; // UTF-8
};

class MessageCustomElem : public MessageElem {
public:
  MessageCustomElem(const String &data = String(), const String &ext = String())
      : MessageElem(MESSAGE_ELEM_CUSTOM), data(data), ext(ext) {}
  MessageElem *clone() const override { return new MessageCustomElem(*this); }
  String data; // UTF-8
  String ext;  // UTF-8
};

class MessageFaceElem : public MessageElem {
public:
  explicit MessageFaceElem(int32_t index = 0, const String &data = String())
      : MessageElem(MESSAGE_ELEM_FACE), index(index), data(data) {}
  MessageElem *clone() const override { return new MessageFaceElem(*this); }
  int32_t index;
  String data;
};

// Owns its elements: they are created with new, appended in order and deleted with the
// message (or by removeLastElem). Copies are deep.
class Message {
public:
  Message() = default;
  Message(const Message &other);
  Message &operator=(const Message &other);
  ~Message();

  void addElem(MessageElem *elem); // takes ownership; null is ignored
  void removeLastElem();           // deletes the last element, if any
  void clearElems();

  Vector<MessageElem *> elems;
};

} // namespace ilive

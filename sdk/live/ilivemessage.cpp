#include "sdk/live/ilivemessage.h"

namespace ilive {

Message::Message(const Message &other) {
  for (const MessageElem *elem : other.elems)
    elems.push_back(elem->clone());
}

Message &Message::operator=(const Message &other) {
  if (this != &other) {
    clearElems();
    for (const MessageElem *elem : other.elems)
      elems.push_back(elem->clone());
  }
  return *this;
}

Message::~Message() { clearElems(); }

void Message::addElem(MessageElem *elem) {
  if (elem)
    elems.push_back(elem);
}

void Message::removeLastElem() {
  if (elems.empty())
    return;
  delete elems.back();
  elems.pop_back();
}

void Message::clearElems() {
  while (!elems.empty())
    removeLastElem();
}

} // namespace ilive

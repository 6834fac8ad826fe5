#pragma once
// One element of one received IM message, as the classroom sees it. A received message
// travels to the GUI thread as a heap std::vector<LiveMessage>* through the queued
// receiveMessage signal; the receiving slot owns it and deletes it.

#include <QMetaType>
#include <QString>
#include <cstdint>
#include <vector>

struct LiveMessage {
  // Element-type codes of the IM layer that the classroom acts on; any other code is
  // passed on with empty text.
  enum Type : int32_t { Text = 1, Custom = 5, Face = 6 };

  int32_t type = 0;
  QString text;            // types 1 and 5: the element's content (UTF-8 decoded)
  int32_t faceIndex = -1;  // type 6: the face index
  uint32_t time = 0;       // the whole message's time stamp
};

using LiveMessageList = std::vector<LiveMessage>;

// Spelled out: queued connections find the type by the name in the signal signature.
Q_DECLARE_METATYPE(std::vector<LiveMessage> *)

// Makes std::vector<LiveMessage>* usable in queued connections. Idempotent and thread-safe;
// the message hook calls it before its first emission, receivers may call it too.
void registerLiveMessageType();

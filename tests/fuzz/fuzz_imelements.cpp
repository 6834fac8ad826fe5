// Fuzz target: an IM message as the hub's "message" notice carries it (conversation, elements,
// offline-push extension). What the reader accepts writes out and reads back the same.
#include "fuzzapp.h"
#include "hubroundtrip.h"

#include "protocol/immessage.h"

#include <QJsonDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QJsonObject o = QJsonDocument::fromJson(fuzzapp::bytes(data, size)).object();
  QString error;
  QVector<hubproto::Element> elems;
  if (hubproto::elementsFromJson(o.value(QStringLiteral("elems")), &elems, &error)) {
    fuzzapp::check(!elems.isEmpty() && elems.size() <= hubproto::kMaxElements, "element count out of bounds");
    QVector<hubproto::Element> again;
    fuzzapp::check(hubproto::elementsFromJson(hubproto::elementsToJson(elems), &again, &error) && again == elems,
                   "elements change when read back");
  }
  hubproto::Conversation conv;
  if (hubproto::conversationFromJson(o.value(QStringLiteral("conv")), &conv, &error)) {
    hubproto::Conversation again;
    fuzzapp::check(hubproto::conversationFromJson(hubproto::conversationToJson(conv), &again, &error) &&
                       again.type == conv.type && again.peer == conv.peer,
                   "a conversation changes when read back");
  }
  hubproto::ImMessage m;
  if (!hubproto::messageFromJson(o, &m, &error))
    return 0;
  // The hub's stamps read as the numbers sent, or as 0 when no 64-bit integer can hold them.
  fuzzapp::check(m.timeMs == 0 || double(m.timeMs) == o.value(QStringLiteral("timeMs")).toDouble(),
                 "a message's timeMs is neither its number nor 0");
  fuzzapp::check(m.seq == 0 || double(m.seq) == o.value(QStringLiteral("seq")).toDouble(),
                 "a message's seq is neither its number nor 0");
  hubroundtrip::checkMessage(m);
  return 0;
}

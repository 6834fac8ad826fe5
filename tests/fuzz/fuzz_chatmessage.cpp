// Fuzz target: a chat page message as command 2056 carries it from another client. The class
// chat posts it to the page unchanged and shows exactly one transcript line for it.
#include "fuzzapp.h"

#include "classroom/classchat.h"
#include "core/jsonhelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::init();
  const QString json = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(size));
  ClassChat chat(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  chat.receiveChatCommand(json, 7);
  fuzzapp::check(chat.postedTexts() == QStringList{json}, "the page did not get the message unchanged");
  fuzzapp::check(chat.shownLines().size() == 1, "not one transcript line for one message");
  ClassChat::messageLength(jsonToMap(json));
  return 0;
}

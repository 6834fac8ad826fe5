// Fuzz target: a chat page message as command 2056 carries it from another client. The class
// chat shows a JSON object once, under the sender's roster name whatever name it carries, and
// drops anything else.
#include "fuzzapp.h"

#include "classroom/classchat.h"
#include "core/jsonhelpers.h"

#include <QJsonDocument>
#include <QJsonObject>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::init();
  const QString json = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(size));
  const QString name = QStringLiteral("林小雨");
  ClassChat chat(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  chat.receiveChatCommand(name, json, 7);
  if (!QJsonDocument::fromJson(json.toUtf8()).isObject()) {
    fuzzapp::check(chat.postedTexts().isEmpty(), "something that is no chat message was posted");
    return 0;
  }
  fuzzapp::check(chat.postedTexts().size() == 1, "not one posted text for one message");
  fuzzapp::check(jsonToMap(chat.postedTexts().value(0)).value(QStringLiteral("name")).toString() == name,
                 "the page got a name other than the roster's");
  fuzzapp::check(chat.shownLines().size() == 1 && chat.shownLines().at(0).startsWith(name + QLatin1Char(':')),
                 "not one transcript line under the roster's name");
  ClassChat::messageLength(jsonToMap(json));
  return 0;
}

#include "messaging/wbenvelope.h"

#include <json/json.h>

#include <QDateTime>

#include <cstring>
#include <ctime>
#include <memory>

namespace wbenvelope {

const char kExt[] = "TXWhiteBoardExt";

namespace {
// The fast writer's form: no spaces, no line breaks inside, one line feed at the end.
std::string compact(const Json::Value &value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value) + "\n";
}

bool parse(const char *begin, const char *end, Json::Value *value) {
  Json::CharReaderBuilder builder;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  return reader->parse(begin, end, value, nullptr);
}
} // namespace

bool parseBoardData(const char *boardData, Json::Value *value) {
  return boardData && parse(boardData, boardData + std::strlen(boardData), value);
}

std::string wrap(uint32_t seq, uint32_t timestamp, const Json::Value &value) {
  Json::Value envelope(Json::objectValue);
  envelope["seq"] = Json::UInt(seq);
  envelope["timestamp"] = Json::UInt(timestamp);
  envelope["value"] = value;
  return compact(envelope);
}

bool unwrap(const char *bytes, std::size_t length, std::string *value) {
  Json::Value envelope;
  if (!bytes || !parse(bytes, bytes + length, &envelope))
    return false;
  // Not an object: there is no "value" member, which reads as null.
  *value = compact(envelope.isObject() ? envelope["value"] : Json::Value());
  return true;
}

uint32_t localTimestamp() {
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  std::time_t seconds = static_cast<std::time_t>(now / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  const qint64 calendar = static_cast<qint64>(std::mktime(&local));
  return static_cast<uint32_t>(calendar * 1000 + now % 1000);
}

} // namespace wbenvelope

// Fuzz target: the whiteboard envelope from IM ({"seq", "timestamp", "value"}) and the board
// data inside it. A value taken out parses as board data and survives wrapping again.
#include "fuzzapp.h"

#include "messaging/wbenvelope.h"

#include <json/value.h>

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string input(reinterpret_cast<const char *>(data), size);
  Json::Value board;
  wbenvelope::parseBoardData(input.c_str(), &board); // stops at the first NUL, as C callers do
  std::string value;
  if (!wbenvelope::unwrap(input.data(), input.size(), &value))
    return 0;
  Json::Value parsed;
  fuzzapp::check(wbenvelope::parseBoardData(value.c_str(), &parsed), "an envelope's value is not board data");
  const std::string wrapped = wbenvelope::wrap(1, 2, parsed);
  std::string again;
  fuzzapp::check(wbenvelope::unwrap(wrapped.data(), wrapped.size(), &again) && again == value,
                 "a value changes when wrapped again");
  return 0;
}

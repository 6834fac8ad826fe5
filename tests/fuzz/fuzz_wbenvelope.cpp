// Fuzz target: the whiteboard envelope from IM ({"seq", "timestamp", "value"}) and the board
// data inside it. A value taken out is one line ending in a line feed, parses as board data and
// survives wrapping again.
#include "fuzzapp.h"

#include "messaging/wbenvelope.h"

#include <json/value.h>

#include <algorithm>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string input(reinterpret_cast<const char *>(data), size);
  Json::Value board;
  wbenvelope::parseBoardData(input.c_str(), &board); // stops at the first NUL, as C callers do
  std::string value;
  if (!wbenvelope::unwrap(input.data(), input.size(), &value))
    return 0;
  fuzzapp::check(!value.empty() && value.back() == '\n', "unwrapped value without its line feed");
  fuzzapp::check(std::count(value.begin(), value.end(), '\n') == 1, "unwrapped value on more than one line");
  Json::Value parsed;
  fuzzapp::check(wbenvelope::parseBoardData(value.c_str(), &parsed), "an envelope's value is not board data");
  const std::string wrapped = wbenvelope::wrap(1, 2, parsed);
  std::string again;
  fuzzapp::check(wbenvelope::unwrap(wrapped.data(), wrapped.size(), &again) && again == value,
                 "a value changes when wrapped again");
  return 0;
}

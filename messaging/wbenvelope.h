#pragma once
// The envelope around the board's action data on IM: {"seq", "timestamp", "value"} in jsoncpp's
// compact form (one line, ending with a line feed).

#include <cstddef>
#include <cstdint>
#include <string>

namespace Json {
class Value;
}

namespace wbenvelope {

extern const char kExt[]; // "TXWhiteBoardExt": element extension, file name and push extension
// Envelopes up to this many bytes travel as a custom element, longer ones as a file element.
constexpr std::size_t kMaxCustomBytes = 7000;

// Parses board data; false when it is not JSON.
bool parseBoardData(const char *boardData, Json::Value *value);
std::string wrap(uint32_t seq, uint32_t timestamp, const Json::Value &value);
// The compact text of the envelope's "value" ("null" when it has none). False when the bytes
// are not JSON.
bool unwrap(const char *bytes, std::size_t length, std::string *value);
// Local wall-clock milliseconds since 1970, kept to their low 32 bits.
uint32_t localTimestamp();

} // namespace wbenvelope

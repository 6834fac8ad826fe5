#include "sdk/board/boardids.h"

#include <cctype>
#include <limits>

namespace board {

const char kDefaultBoard[] = "#DEFAULT";

std::string plainBoardId(const std::string &key) { return key + kDefaultBoard; }

std::string documentBoardId(const std::string &key, unsigned page, const std::string &fileId) {
  return key + "_" + std::to_string(page) + "_" + fileId;
}

std::string documentFileId(const std::string &key) { return "#" + key; }

std::string fileOfBoard(const std::string &boardId) {
  const std::size_t hash = boardId.rfind('#');
  return hash == std::string::npos ? std::string() : boardId.substr(hash);
}

unsigned pageOfBoard(const std::string &boardId) {
  const std::size_t cut = boardId.find_last_of("_#");
  if (cut == std::string::npos || cut == 0)
    return 0;
  const std::string rest = boardId.substr(0, cut - 1);
  const std::size_t underscore = rest.rfind('_');
  const std::string digits = underscore == std::string::npos ? rest : rest.substr(underscore + 1);
  if (digits.empty())
    return 0;
  unsigned long long page = 0;
  for (const char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c)))
      return 0;
    page = page * 10 + static_cast<unsigned>(c - '0');
    if (page > std::numeric_limits<unsigned>::max())
      return 0;
  }
  return static_cast<unsigned>(page);
}

} // namespace board

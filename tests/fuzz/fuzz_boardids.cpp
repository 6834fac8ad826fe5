// Fuzz target: board ids as they come from other clients, one per line: read by the library's
// naming rules and by the whiteboard's page registry, which files every board it is told of.
#include "fuzzapp.h"

#include "sdk/board/boardids.h"
#include "whiteboard/boardpageregistry.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> lines(const uint8_t *data, size_t size) {
  std::vector<std::string> out(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n')
      out.emplace_back();
    else
      out.back() += static_cast<char>(data[i]);
  }
  return out;
}

// A key or file name keeps neither "_" nor "#": the naming rules find their parts again.
void checkRoundTrip(const std::string &id) {
  if (id.find_first_of("_#") != std::string::npos)
    return;
  const unsigned page = static_cast<unsigned>(id.size());
  const std::string board = board::documentBoardId(id, page, board::documentFileId(id));
  fuzzapp::check(board::pageOfBoard(board) == page, "a document board's page does not read back");
  fuzzapp::check(board::fileOfBoard(board) == board::documentFileId(id), "a document board's file does not read back");
  fuzzapp::check(board::fileOfBoard(board::plainBoardId(id)) == board::kDefaultBoard,
                 "a plain board is not of the plain whiteboard");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::vector<std::string> ids = lines(data, size);
  unsigned plain = 0;
  for (const std::string &id : ids) {
    board::pageOfBoard(id);
    const std::string file = board::fileOfBoard(id);
    fuzzapp::check(file.empty() || (file[0] == '#' && id.size() >= file.size() &&
                                    id.compare(id.size() - file.size(), file.size(), file) == 0),
                   "a board's file is not a tail of its id starting with #");
    plain += (id == board::kDefaultBoard || file == board::kDefaultBoard) ? 1 : 0;
    checkRoundTrip(id);
  }
  BoardPageRegistry registry;
  registry.sync(ids);
  fuzzapp::check(registry.plainCount() == plain, "plain pages miscounted");
  for (const std::string &id : ids)
    registry.locate(id);
  fuzzapp::check(registry.plainCurrent() <= registry.plainCount(), "current plain page beyond the count");
  const std::string first = ids.front();
  registry.fileBoardAt(board::fileOfBoard(first), board::pageOfBoard(first));
  registry.removePlainPage(static_cast<int>(size % 5) - 1);
  registry.selectPlainBoard(static_cast<unsigned>(size % 7));
  return 0;
}

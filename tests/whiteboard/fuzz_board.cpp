// Fuzz target of the whiteboard's readers: the first byte picks one, the rest is its input.
//   0  envelope unwrapping: what comes out is one JSON value and a line feed, or nothing
//   1  action data: applied to a board model until it settles, a repeat changes nothing
//   2  board ids: the file is a tail of the id starting with "#"; the registry sorts them
#include "messaging/wbenvelope.h"
#include "sdk/board/boardaction.h"
#include "sdk/board/boardids.h"
#include "sdk/board/boardmodel.h"
#include "whiteboard/boardpageregistry.h"

#include <QByteArray>
#include <QJsonDocument>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void check(bool ok, const char *what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_board: %s\n", what);
    std::abort();
  }
}

void unwrapping(const QByteArray &bytes) {
  std::string value;
  if (!wbenvelope::unwrap(bytes.constData(), std::size_t(bytes.size()), &value))
    return;
  check(!value.empty() && value.back() == '\n', "unwrapped value without its line feed");
  check(std::count(value.begin(), value.end(), '\n') == 1, "unwrapped value on more than one line");
}

void actionData(const QByteArray &bytes) {
  board::BoardModel model;
  model.apply(QJsonObject{{"id", "start"}, {"op", "goto"}, {"board", board::kDefaultBoard}});
  // An action may wait for a later one of the batch (a drawing on a board added after it):
  // apply until nothing more applies, then a repeat must change nothing.
  const QList<QJsonObject> actions = board::readActions(bytes);
  for (int pass = 0; pass <= actions.size(); ++pass) {
    bool applied = false;
    for (const QJsonObject &a : actions)
      applied = model.apply(a) || applied;
    if (!applied)
      break;
  }
  const std::vector<std::string> boards = model.boardIds();
  const std::string current = model.currentId();
  for (const QJsonObject &a : actions)
    check(!model.apply(a), "an action applied twice");
  check(model.boardIds() == boards && model.currentId() == current, "a repeat changed the boards");
  check(current.empty() || model.current(), "the current board is missing");
}

void boardIds(const QByteArray &bytes) {
  const QList<QByteArray> ids = bytes.split('\n');
  std::vector<std::string> list;
  unsigned plain = 0;
  for (const QByteArray &id : ids) {
    const std::string s = id.toStdString();
    const std::string file = board::fileOfBoard(s);
    check(file.empty() || (file[0] == '#' && s.size() >= file.size() &&
                           s.compare(s.size() - file.size(), file.size(), file) == 0),
          "file is not a tail of the id");
    board::pageOfBoard(s);
    plain += (s == board::kDefaultBoard || file == board::kDefaultBoard) ? 1 : 0;
    list.push_back(s);
  }
  BoardPageRegistry registry;
  registry.sync(list);
  check(registry.plainCount() == plain, "plain pages miscounted");
  for (const std::string &s : list)
    registry.locate(s);
  check(registry.plainCurrent() <= registry.plainCount(), "current plain page beyond the count");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1)
    return 0;
  const QByteArray input(reinterpret_cast<const char *>(data) + 1, int(size - 1));
  switch (data[0] % 3) {
  case 0: unwrapping(input); break;
  case 1: actionData(input); break;
  default: boardIds(input); break;
  }
  return 0;
}

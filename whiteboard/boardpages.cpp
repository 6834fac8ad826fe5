#include "whiteboard/boardpages.h"

#include <algorithm>

unsigned BoardPages::positionOf(const std::string &boardId) const {
  const auto it = std::find(boardIds.begin(), boardIds.end(), boardId);
  return it == boardIds.end() ? 0 : unsigned(it - boardIds.begin()) + 1;
}

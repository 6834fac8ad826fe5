#pragma once
// One document's pages in order (or the plain whiteboard's default state): its boards, the
// image of each, its title and which page is current.

#include "whiteboard/boardpage.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

struct BoardPages {
  std::string fileId = "#DEFAULT";
  std::vector<std::string> boardIds;
  std::map<std::string, std::shared_ptr<BoardPage>> pages;
  std::wstring title;
  unsigned currentPage = 1; // 1-based

  // The 1-based position of a board in the list, 0 when it is not there.
  unsigned positionOf(const std::string &boardId) const;
};

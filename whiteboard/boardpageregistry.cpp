#include "whiteboard/boardpageregistry.h"

#include "sdk/board/boardids.h"

#include <QDebug>

#include <algorithm>

void BoardPageRegistry::addPlainBoard(const std::string &boardId) {
  QMutexLocker lock(&plainMutex_);
  plain_.push_back(boardId);
  ++plainCurrent_;
}

std::string BoardPageRegistry::plainBoardAt(unsigned page) const {
  QMutexLocker lock(&plainMutex_);
  if (plainCurrent_ == 0 || page < 1 || page > plain_.size())
    return std::string();
  return plain_[page - 1];
}

std::string BoardPageRegistry::selectPlainBoard(unsigned page) {
  const std::string id = plainBoardAt(page);
  QMutexLocker lock(&plainMutex_);
  if (!id.empty())
    plainCurrent_ = page;
  return id;
}

unsigned BoardPageRegistry::plainCount() const {
  QMutexLocker lock(&plainMutex_);
  return unsigned(plain_.size());
}

unsigned BoardPageRegistry::plainCurrent() const {
  QMutexLocker lock(&plainMutex_);
  return plainCurrent_;
}

void BoardPageRegistry::removePlainPage(int page) {
  QMutexLocker lock(&plainMutex_);
  const unsigned index = page < 1 ? plainCurrent_ : unsigned(page);
  if (index < 1 || index > plain_.size())
    return;
  plain_.erase(plain_.begin() + (index - 1));
  if (page < 1)
    plainCurrent_ = std::min<unsigned>(plainCurrent_, unsigned(plain_.size()));
  else if (plainCurrent_ >= index)
    --plainCurrent_;
}

void BoardPageRegistry::addFile(const std::string &fileId, const std::vector<std::wstring> &urls,
                                const std::vector<std::string> &boardIds, const std::wstring &title) {
  QMutexLocker lock(&filesMutex_);
  std::unique_ptr<BoardPages> &record = files_[fileId];
  const bool known = record != nullptr;
  if (!known) {
    record = std::make_unique<BoardPages>();
    record->fileId = fileId;
    record->boardIds = boardIds;
    record->title = title;
  }
  for (std::size_t k = 0; k < record->boardIds.size(); ++k) {
    if (k >= urls.size()) {
      if (known)
        qDebug("TICSDK:urls size %u, board size %u", unsigned(urls.size()), unsigned(record->boardIds.size()));
      continue;
    }
    record->pages[record->boardIds[k]] = std::make_shared<BoardPage>(BoardPage{urls[k]});
  }
}

void BoardPageRegistry::addFileBoard(const std::string &boardId, const std::string &fileId) {
  QMutexLocker lock(&filesMutex_);
  std::unique_ptr<BoardPages> &record = files_[fileId];
  if (!record) {
    record = std::make_unique<BoardPages>();
    record->fileId = fileId;
  }
  record->boardIds.push_back(boardId);
}

std::string BoardPageRegistry::fileBoardAt(const std::string &fileId, unsigned page) {
  QMutexLocker lock(&filesMutex_);
  auto it = files_.find(fileId);
  if (it == files_.end() || page < 1 || page > it->second->boardIds.size())
    return std::string();
  it->second->currentPage = page;
  return it->second->boardIds[page - 1];
}

std::pair<unsigned, unsigned> BoardPageRegistry::fileCountAndCurrent(const std::string &fileId) const {
  QMutexLocker lock(&filesMutex_);
  auto it = files_.find(fileId);
  if (it == files_.end())
    return {0, 0};
  return {unsigned(it->second->boardIds.size()), it->second->currentPage};
}

std::wstring BoardPageRegistry::boardUrl(const std::string &fileId, const std::string &boardId) const {
  QMutexLocker lock(&filesMutex_);
  auto it = files_.find(fileId);
  if (it == files_.end())
    return std::wstring();
  auto page = it->second->pages.find(boardId);
  return page == it->second->pages.end() || !page->second ? std::wstring() : page->second->imageUrl;
}

void BoardPageRegistry::locatePlain(const std::string &boardId) {
  QMutexLocker lock(&plainMutex_);
  if (boardId == board::kDefaultBoard) {
    plainCurrent_ = 1;
    return;
  }
  const auto it = std::find(plain_.begin(), plain_.end(), boardId);
  if (it != plain_.end())
    plainCurrent_ = unsigned(it - plain_.begin()) + 1;
}

void BoardPageRegistry::locateInFile(const std::string &fileId, const std::string &boardId) {
  QMutexLocker lock(&filesMutex_);
  auto it = files_.find(fileId);
  if (it == files_.end())
    return;
  const unsigned page = board::pageOfBoard(boardId);
  const unsigned current = page != 0 ? page : it->second->positionOf(boardId);
  if (current != 0)
    it->second->currentPage = current;
}

std::string BoardPageRegistry::locate(const std::string &boardId) {
  const std::string fileId = boardId == board::kDefaultBoard ? boardId : board::fileOfBoard(boardId);
  if (fileId == board::kDefaultBoard)
    locatePlain(boardId);
  else if (!fileId.empty())
    locateInFile(fileId, boardId);
  return fileId;
}

void BoardPageRegistry::sync(const std::vector<std::string> &boardIds) {
  for (const std::string &id : boardIds) {
    const std::string tail = board::fileOfBoard(id);
    if (id == board::kDefaultBoard || tail == board::kDefaultBoard)
      addPlainBoard(id);
    else if (!tail.empty())
      addFileBoard(id, tail);
  }
}

void BoardPageRegistry::clear() {
  QMutexLocker lock(&filesMutex_);
  files_.clear();
}

void BoardPageRegistry::reset() {
  clear();
  QMutexLocker lock(&plainMutex_);
  plain_.clear();
  plainCurrent_ = 0;
}

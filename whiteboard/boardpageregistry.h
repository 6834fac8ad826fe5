#pragma once
// Which boards make up the plain whiteboard and each document, in page order, and which page
// of each is current. Used from the board library's thread and the GUI thread: the plain-page
// list and the file map each have their own mutex, and no operation holds both.

#include "whiteboard/boardpages.h"

#include <QMutex>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class BoardPageRegistry {
public:

  // The plain whiteboard.
  void addPlainBoard(const std::string &boardId);
  std::string plainBoardAt(unsigned page) const;
  // plainBoardAt, making the page current when it exists.
  std::string selectPlainBoard(unsigned page);
  unsigned plainCount() const;
  unsigned plainCurrent() const;
  // page < 1 removes the current page.
  void removePlainPage(int page);

  // Documents.
  void addFile(const std::string &fileId, const std::vector<std::wstring> &urls,
               const std::vector<std::string> &boardIds, const std::wstring &title);
  void addFileBoard(const std::string &boardId, const std::string &fileId);
  // The file's n-th board, making n current; empty and no change when n is out of range.
  std::string fileBoardAt(const std::string &fileId, unsigned page);
  // Page count and current page of a file (0, 0 when unknown).
  std::pair<unsigned, unsigned> fileCountAndCurrent(const std::string &fileId) const;
  std::wstring boardUrl(const std::string &fileId, const std::string &boardId) const;

  // The file of a board, making its page current where it lives.
  std::string locate(const std::string &boardId);
  // Appends the library's boards to the lists (they are not emptied first).
  void sync(const std::vector<std::string> &boardIds);
  // Forgets every file record (the plain-page list stays).
  void clear();
  // Forgets everything, for a fresh sync.
  void reset();

private:
  void locatePlain(const std::string &boardId);
  void locateInFile(const std::string &fileId, const std::string &boardId);

  mutable QMutex plainMutex_;
  std::vector<std::string> plain_;
  unsigned plainCurrent_ = 0;
  mutable QMutex filesMutex_;
  std::map<std::string, std::unique_ptr<BoardPages>> files_;
};

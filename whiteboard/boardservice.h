#pragma once
// The class's shared whiteboard for the life of the whiteboard window: owns the board library,
// answers its callbacks, sends its local data to the class over IM and feeds it what arrives,
// and keeps the pages (plain whiteboard and documents) in step with it.

#include "messaging/imrecvwbdatacallback.h"
#include "sdk/board/boardcallback.h"
#include "sdk/board/boarditem.h"
#include "whiteboard/boardclassdata.h"
#include "whiteboard/boarddatalink.h"
#include "whiteboard/boardpageregistry.h"

#include <QMutex>

#include <atomic>
#include <memory>
#include <string>

class BoardDataLink;
class BoardSDK;
class BoardServiceCallback;
class QWidget;

class BoardService : public BoardCallback, public IMRecvWBDataCallback {
public:
  static const char kPreviewPath[]; // "%1?cmd=doc_preview&of=pic&page=%2"

  // link null: the class's IM group through IMService.
  explicit BoardService(const BoardClassData &data, std::unique_ptr<BoardDataLink> link = nullptr);
  ~BoardService() override;

  QWidget *renderWindow();
  // Reports the current status flags to it at once.
  void setListener(BoardServiceCallback *listener);

  void useTool(board::Tool tool);
  board::Tool tool() const;
  board::PenState pen() const;
  void setColor(uint32_t rgba);
  void setWidth(uint32_t width);
  void setFill(bool fill);
  void setBackgroundColor(uint32_t rgba);
  void setAllBackgroundColor(uint32_t rgba);
  void undo();
  void redo();
  void copy();
  void remove();
  void clear();
  void clearDraws();
  void getBoardData();

  void previousPage();
  void nextPage();
  void gotoPage(int page);
  void addPage();
  void deletePage();
  void addDocument(const QString &fileName, unsigned pageCount);

  unsigned currentPage() const { return currentPage_; }
  unsigned pageCount() const { return pageCount_; }
  std::string currentFile() const;
  bool isPlainWhiteboard() const;

  // BoardCallback (library thread).
  void onActionsData(const char *data, uint32_t length) override;
  void onStatusChanged(bool canUndo, bool canRedo, bool canCopy, bool canRemove) override;
  uint32_t onGetTime() override;
  void onGetBoardData(bool result) override;
  void onReportBoardData(int code, const char *detail) override;
  void onNotify(int event) override;

  // IMRecvWBDataCallback (IM delivery thread).
  void onRecvWBData(const char *data, unsigned length) override;

private:
  void setCurrentFile(const std::string &fileId);
  void refreshPage();
  void syncWithLibrary();
  void showCurrentBoard();
  void gotoBoard(const std::string &boardId);
  QString previewUrl(const QString &fileName, unsigned page) const;

  std::unique_ptr<BoardDataLink> link_;
  std::atomic<BoardServiceCallback *> listener_{nullptr};
  std::atomic<bool> flags_[4] = {{false}, {false}, {false}, {false}};
  std::unique_ptr<BoardSDK> sdk_;
  mutable QMutex fileMutex_;
  std::string currentFile_;
  std::atomic<unsigned> currentPage_{0};
  std::atomic<unsigned> pageCount_{0};
  BoardPageRegistry pages_;
  const QString previewUrl_;
  // The library's board count and current board when the pages were last brought in step.
  QMutex knownMutex_;
  std::size_t knownBoards_ = 0;
  std::string knownCurrent_;
};

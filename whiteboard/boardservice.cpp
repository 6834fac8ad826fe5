#include "whiteboard/boardservice.h"

#include "sdk/board/boardids.h"
#include "sdk/board/boardsdk.h"
#include "whiteboard/boardservicecallback.h"
#include "whiteboard/imservicelink.h"

#include <QDateTime>
#include <QDebug>

const char BoardService::kPreviewPath[] = "%1?cmd=doc_preview&of=pic&page=%2";

BoardService::BoardService(const BoardClassData &data, std::unique_ptr<BoardDataLink> link)
    : link_(link ? std::move(link) : std::make_unique<IMServiceLink>()),
      sdk_(std::make_unique<BoardSDK>(data.userId.toUtf8().constData())),
      currentFile_(board::kDefaultBoard), previewUrl_(data.previewUrl) {
  qDebug("new BoardSDK(userId=%s, userSig=%s, sdkAppID=%d, roomID=%d)", qUtf8Printable(data.userId),
         qUtf8Printable(data.userSig), int(data.appId), data.roomId);
  if (!data.serviceUrl.isEmpty())
    BoardSDK::setServiceUrl(data.serviceUrl.toUtf8().constData());
  BoardSDK::setImageOrigins({data.previewUrl.toStdString(), data.storageUrl.toStdString()});
  sdk_->enableDefaultReporter(data.appId, uint32_t(data.roomId), data.userSig.toUtf8().constData());
  sdk_->setCallback(this);
  link_->attach(data, this);
}

BoardService::~BoardService() {
  // No delivery is running once this returns, so the library may go.
  link_->detach();
  // Nor a callback of the library's thread (a history load answered late), which would find
  // the library half gone.
  sdk_->setCallback(nullptr);
  sdk_.reset();
  pages_.clear();
}

QWidget *BoardService::renderWindow() { return sdk_->getRenderWindow(); }

void BoardService::setListener(BoardServiceCallback *listener) {
  listener_ = listener;
  if (listener)
    listener->onStatusChanged(flags_[0], flags_[1], flags_[2], flags_[3]);
}

void BoardService::useTool(board::Tool tool) { sdk_->useTool(tool); }
board::Tool BoardService::tool() const { return sdk_->tool(); }
board::PenState BoardService::pen() const { return sdk_->pen(); }
void BoardService::setColor(uint32_t rgba) { sdk_->setColor(rgba); }
void BoardService::setWidth(uint32_t width) { sdk_->setWidth(width); }
void BoardService::setFill(bool fill) { sdk_->setFill(fill); }
void BoardService::setBackgroundColor(uint32_t rgba) { sdk_->setBackgroundColor(rgba); }
void BoardService::setAllBackgroundColor(uint32_t rgba) { sdk_->setAllBackgroundColor(rgba); }
void BoardService::undo() { sdk_->undo(); }
void BoardService::redo() { sdk_->redo(); }
void BoardService::copy() { sdk_->copy(); }
void BoardService::remove() { sdk_->remove(); }
void BoardService::clear() { sdk_->clear(); }
void BoardService::clearDraws() { sdk_->clearDraws(); }
void BoardService::getBoardData() { sdk_->getBoardData(); }

std::string BoardService::currentFile() const {
  QMutexLocker lock(&fileMutex_);
  return currentFile_;
}

bool BoardService::isPlainWhiteboard() const { return currentFile() == board::kDefaultBoard; }

void BoardService::setCurrentFile(const std::string &fileId) {
  QMutexLocker lock(&fileMutex_);
  currentFile_ = fileId.empty() ? std::string(board::kDefaultBoard) : fileId;
}

void BoardService::refreshPage() {
  if (isPlainWhiteboard()) {
    currentPage_ = pages_.plainCurrent();
    pageCount_ = pages_.plainCount();
  } else {
    const auto [count, current] = pages_.fileCountAndCurrent(currentFile());
    currentPage_ = current;
    pageCount_ = count;
  }
  QMutexLocker lock(&knownMutex_);
  knownBoards_ = sdk_->getAllBoards().size();
  knownCurrent_ = sdk_->getCurrentBoard();
}

void BoardService::previousPage() {
  if (currentPage_ != 0)
    gotoPage(int(currentPage_) - 1);
}

void BoardService::nextPage() {
  if (currentPage_ < pageCount_)
    gotoPage(int(currentPage_) + 1);
}

void BoardService::gotoBoard(const std::string &boardId) {
  if (!boardId.empty())
    sdk_->pageOperate(boardId.c_str(), {});
}

void BoardService::gotoPage(int page) {
  if (page < 1)
    return;
  const std::string file = currentFile();
  if (file == board::kDefaultBoard) {
    gotoBoard(pages_.selectPlainBoard(unsigned(page)));
  } else {
    const std::string id = pages_.fileBoardAt(file, unsigned(page));
    gotoBoard(id);
    const std::wstring url = id.empty() ? std::wstring() : pages_.boardUrl(file, id);
    if (!url.empty())
      sdk_->setBackgroundImage(url.c_str(), id.c_str());
  }
  refreshPage();
}

void BoardService::addPage() {
  const std::string id = sdk_->addBoard();
  if (id.empty())
    return;
  pages_.addPlainBoard(id);
  pages_.locate(id);
  setCurrentFile(board::kDefaultBoard);
  gotoBoard(id);
  refreshPage();
}

void BoardService::deletePage() {
  if (!isPlainWhiteboard())
    return;
  const std::string removed = pages_.plainBoardAt(pages_.plainCurrent());
  if (removed.empty())
    return;
  pages_.removePlainPage(0);
  const std::string next = pages_.plainBoardAt(pages_.plainCurrent());
  sdk_->pageOperate(next.c_str(), {removed});
  refreshPage();
}

QString BoardService::previewUrl(const QString &fileName, unsigned page) const {
  QString base = previewUrl_;
  if (!base.isEmpty() && !base.endsWith(QLatin1Char('/')))
    base += QLatin1Char('/');
  return base + QString::fromLatin1(kPreviewPath).arg(fileName).arg(page);
}

void BoardService::addDocument(const QString &fileName, unsigned pageCount) {
  std::vector<std::wstring> urls;
  for (unsigned page = 1; page <= pageCount; ++page)
    urls.push_back(previewUrl(fileName, page).toStdWString());
  std::vector<std::string> ids;
  const std::string fileId = sdk_->addFile(urls, ids);
  if (fileId.empty())
    return;
  pages_.addFile(fileId, urls, ids, fileName.toStdWString());
  setCurrentFile(fileId);
  gotoPage(1);
}

void BoardService::onActionsData(const char *data, uint32_t) { link_->send(data); }

void BoardService::onStatusChanged(bool canUndo, bool canRedo, bool canCopy, bool canRemove) {
  flags_[0] = canUndo;
  flags_[1] = canRedo;
  flags_[2] = canCopy;
  flags_[3] = canRemove;
  if (BoardServiceCallback *listener = listener_.load())
    listener->onStatusChanged(canUndo, canRedo, canCopy, canRemove);
}

uint32_t BoardService::onGetTime() { return uint32_t(QDateTime::currentSecsSinceEpoch()); }

void BoardService::syncWithLibrary() {
  const std::vector<std::string> ids = sdk_->getAllBoards();
  if (!ids.empty()) {
    pages_.sync(ids);
    setCurrentFile(pages_.locate(sdk_->getCurrentBoard()));
  }
  refreshPage();
}

void BoardService::onGetBoardData(bool result) {
  syncWithLibrary();
  if (pageCount_ == 0) {
    pages_.addPlainBoard(board::kDefaultBoard);
    setCurrentFile(board::kDefaultBoard);
    sdk_->pageOperate(board::kDefaultBoard, {});
    refreshPage();
  }
  if (BoardServiceCallback *listener = listener_.load())
    listener->onRefreshBoardData(result);
}

void BoardService::onReportBoardData(int code, const char *) {
  qDebug("txcloud: report board data code = %d", code);
}

void BoardService::onNotify(int) {}

void BoardService::onRecvWBData(const char *data, unsigned length) {
  sdk_->appendActionsData(data, length);
  showCurrentBoard();
}

// Follows the teacher: when the boards or the current board changed underneath, the pages are
// rebuilt from the library so that page number and count name its current board.
void BoardService::showCurrentBoard() {
  {
    QMutexLocker lock(&knownMutex_);
    if (sdk_->getAllBoards().size() == knownBoards_ && sdk_->getCurrentBoard() == knownCurrent_)
      return;
  }
  pages_.reset();
  syncWithLibrary();
  if (BoardServiceCallback *listener = listener_.load())
    listener->onRefreshBoardData(true);
}

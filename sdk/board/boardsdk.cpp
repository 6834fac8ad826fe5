#include "sdk/board/boardsdk.h"

#include "sdk/board/boardcore.h"

#include <QStringList>

using board::BoardCore;

namespace {
QString fromWide(const wchar_t *text) { return text ? QString::fromWCharArray(text) : QString(); }
} // namespace

void BoardSDK::setServiceUrl(const char *url) { BoardCore::setServiceUrl(QString::fromUtf8(url)); }

void BoardSDK::setImageOrigins(const std::vector<std::string> &addresses) {
  QStringList origins;
  for (const std::string &a : addresses)
    origins << QString::fromStdString(a);
  board::BoardImages::setAllowedOrigins(origins);
}

BoardSDK::BoardSDK(const char *userId, QWidget *parent)
    : core_(std::make_unique<BoardCore>(userId ? userId : "", parent)) {}

BoardSDK::~BoardSDK() = default;

void BoardSDK::enableDefaultReporter(uint32_t, uint32_t roomId, const char *userSig) {
  core_->setReporter(roomId, QString::fromUtf8(userSig));
}

void BoardSDK::setCallback(BoardCallback *callback) { core_->setCallback(callback); }

QWidget *BoardSDK::getRenderWindow() { return core_->view(); }

void BoardSDK::useTool(board::Tool tool) {
  board::PenState pen = core_->pen();
  pen.tool = tool;
  core_->setPen(pen);
}

board::Tool BoardSDK::tool() const { return core_->pen().tool; }

board::PenState BoardSDK::pen() const { return core_->pen(); }

void BoardSDK::setColor(uint32_t rgba) {
  board::PenState pen = core_->pen();
  pen.color = rgba;
  core_->setPen(pen);
}

void BoardSDK::setWidth(uint32_t width) {
  board::PenState pen = core_->pen();
  pen.width = qMin<uint32_t>(width, board::kWidthUnits);
  core_->setPen(pen);
}

void BoardSDK::setFill(bool fill) {
  board::PenState pen = core_->pen();
  pen.fill = fill;
  core_->setPen(pen);
}

void BoardSDK::setBackgroundColor(uint32_t rgba) { core_->setBackground(core_->currentId(), rgba); }

void BoardSDK::setAllBackgroundColor(uint32_t rgba) { core_->setBackground(std::string(), rgba); }

void BoardSDK::setBackgroundImage(const wchar_t *url, const char *boardId) {
  core_->setBackgroundImage(boardId ? boardId : "", fromWide(url));
}

void BoardSDK::undo() { core_->undo(); }
void BoardSDK::redo() { core_->redo(); }
void BoardSDK::copy() { core_->copySelection(); }
void BoardSDK::remove() { core_->removeSelection(); }
void BoardSDK::clear() { core_->clear(false); }
void BoardSDK::clearDraws() { core_->clear(true); }

std::string BoardSDK::addBoard(const wchar_t *backgroundUrl) { return core_->addBoard(fromWide(backgroundUrl)); }

std::string BoardSDK::addFile(const std::vector<std::wstring> &urls, std::vector<std::string> &boardIds) {
  QStringList list;
  for (const std::wstring &url : urls)
    list.append(QString::fromStdWString(url));
  return core_->addFile(list, boardIds);
}

int BoardSDK::pageOperate(const char *gotoBoardId, const std::vector<std::string> &deleteBoardIds) {
  return core_->pageOperate(gotoBoardId ? gotoBoardId : "", deleteBoardIds);
}

std::vector<std::string> BoardSDK::getAllBoards() const { return core_->boardIds(); }

std::string BoardSDK::getCurrentBoard() const { return core_->currentId(); }

void BoardSDK::appendActionsData(const char *data, uint32_t length) {
  if (data)
    core_->append(QByteArray(data, int(qMin<uint32_t>(length, INT32_MAX))));
}

void BoardSDK::getBoardData() { core_->loadHistory(); }

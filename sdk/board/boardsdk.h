#pragma once
// The whiteboard library: boards with pages and documents, drawing tools, undo and redo, a
// render window, and action data that carries every local change to other instances
// (boardaction.h). Call it from the GUI thread, except appendActionsData, which any thread may
// call. Its callbacks run on its own thread.

#include "sdk/board/boarditem.h"

#include <memory>
#include <string>
#include <vector>

class BoardCallback;
class QWidget;

namespace board {
class BoardCore;
}

class BoardSDK {
public:
  // The class service's address, from which getBoardData loads a room's history.
  static void setServiceUrl(const char *url);
  // The addresses ("scheme://host[:port]/...") whose origins background images may come from;
  // images from anywhere else are not fetched.
  static void setImageOrigins(const std::vector<std::string> &addresses);

  BoardSDK(const char *userId, QWidget *parent = nullptr);
  ~BoardSDK();
  BoardSDK(const BoardSDK &) = delete;
  BoardSDK &operator=(const BoardSDK &) = delete;

  // Who and where: the room's history is asked for with these.
  void enableDefaultReporter(uint32_t appId, uint32_t roomId, const char *userSig);
  // Null: no callback is running or will run once this returns.
  void setCallback(BoardCallback *callback);
  QWidget *getRenderWindow();

  void useTool(board::Tool tool);
  board::Tool tool() const;
  board::PenState pen() const;
  void setColor(uint32_t rgba);
  void setWidth(uint32_t width);
  void setFill(bool fill);
  void setBackgroundColor(uint32_t rgba);
  void setAllBackgroundColor(uint32_t rgba);
  void setBackgroundImage(const wchar_t *url, const char *boardId = nullptr);

  void undo();
  void redo();
  void copy();
  void remove();
  void clear();
  void clearDraws();

  // Returns the new board's id; the current board stays.
  std::string addBoard(const wchar_t *backgroundUrl = nullptr);
  // One board per page image; fills boardIds and returns the file id.
  std::string addFile(const std::vector<std::wstring> &urls, std::vector<std::string> &boardIds);
  // Switches to gotoBoardId (when not empty) and deletes the given boards. 0, or -1 when the
  // board to go to does not exist.
  int pageOperate(const char *gotoBoardId, const std::vector<std::string> &deleteBoardIds);
  std::vector<std::string> getAllBoards() const;
  std::string getCurrentBoard() const;

  // Action data of another instance; applied once however often it arrives.
  void appendActionsData(const char *data, uint32_t length);
  // Loads the room's history, replays it, then calls onGetBoardData.
  void getBoardData();

private:
  std::unique_ptr<board::BoardCore> core_;
};

#pragma once
// The inside of BoardSDK: the boards under one mutex, the local tool and its gestures, undo
// and redo, the library's thread with the callbacks, images and history.

#include "sdk/board/boardhistory.h"
#include "sdk/board/boardimages.h"
#include "sdk/board/boardmodel.h"
#include "sdk/board/boardthread.h"

#include <QJsonObject>
#include <QMutex>
#include <QPointer>

#include <atomic>
#include <string>
#include <vector>

class BoardCallback;
class QWidget;

namespace board {

class BoardView;

struct Snapshot {
  Board board;
  std::vector<std::string> selected;
  bool valid = false;
};

class BoardCore {
public:
  BoardCore(const std::string &userId, QWidget *parent);
  ~BoardCore();

  static void setServiceUrl(const QString &url);

  void setReporter(uint32_t roomId, const QString &userSig);
  // Null returns only once no callback is running on the library's thread, so that the
  // receiver may go right after.
  void setCallback(BoardCallback *callback);
  QWidget *view() const;

  PenState pen() const;
  void setPen(const PenState &pen);

  // Local changes, reported as action data.
  void drawItem(Item item);
  void eraseAlong(const QVector<QPoint> &path, uint32_t width);
  void select(const QRect &area);
  void undo();
  void redo();
  void copySelection();
  void removeSelection();
  void clear(bool drawingsOnly);
  void setBackground(const std::string &boardId, uint32_t rgba);
  void setBackgroundImage(const std::string &boardId, const QString &url);
  std::string addBoard(const QString &url);
  std::string addFile(const QStringList &urls, std::vector<std::string> &boardIds);
  int pageOperate(const std::string &gotoId, const std::vector<std::string> &deleteIds);

  std::vector<std::string> boardIds() const;
  std::string currentId() const;
  Snapshot snapshot() const;
  QImage background(const QString &url) { return images_.image(url); }

  // Action data from elsewhere, any thread. While the room's history is being loaded it is
  // kept, and applied after the history: it may build on what only the history holds.
  void append(const QByteArray &data);
  void loadHistory();

private:
  std::string nextKey();
  QJsonObject action(const char *op);
  // Applies a local action and reports it; undoable ones go on the undo stack.
  bool commit(const QJsonObject &action, bool undoable);
  void reportStatus();
  void emitActions(const QByteArray &data);
  void repaint();
  void replay(int code, const QList<QByteArray> &envelopes);
  bool applyData(const QByteArray &data); // under the lock
  void hideItems(const std::vector<std::string> &ids, const QJsonObject &extra = QJsonObject());
  std::vector<std::string> visibleItems() const; // of the current board, under the lock
  void reverse(std::vector<std::string> &from, std::vector<std::string> &to, const char *op);

  const std::string key_;
  std::atomic<unsigned> counter_{0};
  mutable QMutex mutex_;
  BoardModel model_;
  PenState pen_;
  std::vector<std::string> undo_, redo_, selected_;
  HistoryQuery history_;
  bool loadingHistory_ = false;
  QList<QByteArray> held_; // live data that came while the history was loading
  int heldBytes_ = 0;
  std::atomic<BoardCallback *> callback_{nullptr};
  BoardThread thread_;
  BoardImages images_;
  QPointer<BoardView> view_;
};

} // namespace board

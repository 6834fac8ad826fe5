#pragma once
// A BoardCallback that keeps what the library reports, for tests on any thread.

#include "sdk/board/boardcallback.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QThread>

class BoardRecorder : public BoardCallback {
public:
  struct Status {
    bool undo = false, redo = false, copy = false, remove = false;
  };

  void onActionsData(const char *data, uint32_t length) override;
  void onStatusChanged(bool canUndo, bool canRedo, bool canCopy, bool canRemove) override;
  uint32_t onGetTime() override { return 0; }
  void onGetBoardData(bool result) override;
  void onReportBoardData(int code, const char *) override;
  void onNotify(int) override {}

  QList<QByteArray> actions() const;
  int actionCount() const;
  Status status() const;
  int statusCount() const;
  int boardDataCount() const;
  bool lastBoardData() const;
  QList<int> reports() const;
  // Whether every callback so far came on one thread that is not the caller's.
  bool cameOffThread(QThread *gui) const;

private:
  void noteThread();
  mutable QMutex mutex_;
  QList<QByteArray> actions_;
  Status status_;
  int statusCount_ = 0;
  int boardData_ = 0;
  bool lastBoardData_ = false;
  QList<int> reports_;
  QList<QThread *> threads_;
};

#pragma once
// The boards of one library instance and the actions applied to them. Not thread-safe: the
// library guards it with its mutex.

#include "sdk/board/boarditem.h"

#include <QJsonObject>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace board {

class BoardModel {
public:
  // Applies one action; false when it was applied before or is not a valid action.
  bool apply(const QJsonObject &action);
  bool wasApplied(const std::string &actionId) const { return applied_.count(actionId) > 0; }

  std::vector<std::string> boardIds() const;
  const std::string &currentId() const { return current_; }
  const Board *current() const;
  Board *board(const std::string &id);
  const Board *board(const std::string &id) const;
  // Whether a draw or hide action can still be undone or redone (its board is there).
  bool isReversible(const std::string &actionId) const;

private:
  // What a draw or hide changed, so that undo and redo can flip it.
  struct Flip {
    std::string board;
    std::vector<std::string> shown, hidden;
    bool image = false;
    QString imageBefore, imageAfter;
  };

  bool applyOp(const std::string &op, const QJsonObject &a, const std::string &id);
  bool draw(const QJsonObject &a, const std::string &id);
  bool hide(const QJsonObject &a, const std::string &id);
  bool flip(const std::string &target, bool forward);
  bool addBoard(const std::string &id, const QString &url);
  bool addFile(const QJsonObject &a);
  bool switchTo(const std::string &id);
  bool remove(const std::vector<std::string> &ids);
  bool setColor(const QJsonObject &a);
  bool setImage(const QJsonObject &a);
  Board &ensure(const std::string &id);

  std::vector<Board> boards_; // in the order they were added
  std::string current_;
  std::set<std::string> applied_;
  std::map<std::string, Flip> flips_;
};

} // namespace board

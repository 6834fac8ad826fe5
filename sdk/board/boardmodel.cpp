#include "sdk/board/boardmodel.h"

#include "sdk/board/boardaction.h"
#include "sdk/board/boardids.h"

#include <QJsonArray>

#include <algorithm>

namespace board {

namespace {
constexpr std::size_t kMaxBoards = 4096;
}

bool BoardModel::apply(const QJsonObject &action) {
  const std::string id = stringOf(action, "id");
  if (id.empty() || applied_.count(id))
    return false;
  if (!applyOp(stringOf(action, "op"), action, id))
    return false;
  applied_.insert(id);
  return true;
}

bool BoardModel::applyOp(const std::string &op, const QJsonObject &a, const std::string &id) {
  if (op == op::kDraw) return draw(a, id);
  if (op == op::kHide) return hide(a, id);
  if (op == op::kUndo) return flip(stringOf(a, "target"), false);
  if (op == op::kRedo) return flip(stringOf(a, "target"), true);
  if (op == op::kBoard) return addBoard(stringOf(a, "board"), a.value(QLatin1String("url")).toString());
  if (op == op::kFile) return addFile(a);
  if (op == op::kGoto) return switchTo(stringOf(a, "board"));
  if (op == op::kDelete) return remove(idsFromJson(a.value(QLatin1String("boards"))));
  if (op == op::kColor) return setColor(a);
  if (op == op::kImage) return setImage(a);
  return false;
}

std::vector<std::string> BoardModel::boardIds() const {
  std::vector<std::string> ids;
  for (const Board &b : boards_)
    ids.push_back(b.id);
  return ids;
}

const Board *BoardModel::current() const { return board(current_); }

Board *BoardModel::board(const std::string &id) {
  auto it = std::find_if(boards_.begin(), boards_.end(), [&](const Board &b) { return b.id == id; });
  return it == boards_.end() ? nullptr : &*it;
}

const Board *BoardModel::board(const std::string &id) const {
  return const_cast<BoardModel *>(this)->board(id);
}

bool BoardModel::isReversible(const std::string &actionId) const {
  auto it = flips_.find(actionId);
  return it != flips_.end() && board(it->second.board);
}

Board &BoardModel::ensure(const std::string &id) {
  if (Board *b = board(id))
    return *b;
  boards_.push_back(Board{id, kWhite, QString(), {}});
  return boards_.back();
}

bool BoardModel::draw(const QJsonObject &a, const std::string &id) {
  Board *b = board(stringOf(a, "board"));
  if (!b)
    return false;
  Flip f{b->id, {}, {}, false, {}, {}};
  for (const QJsonValue &v : a.value(QLatin1String("items")).toArray()) {
    Item item;
    if (!itemFromJson(v.toObject(), &item) || b->find(item.id))
      continue;
    f.shown.push_back(item.id);
    b->items.push_back(item);
  }
  if (f.shown.empty())
    return false;
  flips_[id] = f;
  return true;
}

bool BoardModel::hide(const QJsonObject &a, const std::string &id) {
  Board *b = board(stringOf(a, "board"));
  if (!b)
    return false;
  Flip f{b->id, {}, {}, a.contains(QLatin1String("image")), b->imageUrl,
         a.value(QLatin1String("image")).toString()};
  for (const std::string &itemId : idsFromJson(a.value(QLatin1String("items")))) {
    Item *item = b->find(itemId);
    if (item && item->visible) {
      item->visible = false;
      f.hidden.push_back(itemId);
    }
  }
  if (f.image)
    b->imageUrl = f.imageAfter;
  flips_[id] = f;
  return true;
}

bool BoardModel::flip(const std::string &target, bool forward) {
  auto it = flips_.find(target);
  Board *b = it == flips_.end() ? nullptr : board(it->second.board);
  if (!b)
    return false;
  const Flip &f = it->second;
  for (const std::string &itemId : f.shown)
    if (Item *item = b->find(itemId))
      item->visible = forward;
  for (const std::string &itemId : f.hidden)
    if (Item *item = b->find(itemId))
      item->visible = !forward;
  if (f.image)
    b->imageUrl = forward ? f.imageAfter : f.imageBefore;
  return true;
}

bool BoardModel::addBoard(const std::string &id, const QString &url) {
  if (id.empty() || board(id) || boards_.size() >= kMaxBoards)
    return false;
  ensure(id).imageUrl = url;
  return true;
}

bool BoardModel::addFile(const QJsonObject &a) {
  const std::vector<std::string> ids = idsFromJson(a.value(QLatin1String("boards")));
  const QJsonArray urls = a.value(QLatin1String("urls")).toArray();
  bool added = false;
  for (std::size_t i = 0; i < ids.size(); ++i)
    added = addBoard(ids[i], urls.at(int(i)).toString()) || added;
  return added;
}

bool BoardModel::switchTo(const std::string &id) {
  // The default board exists as soon as anyone goes to it.
  if (id == kDefaultBoard)
    ensure(id);
  if (!board(id))
    return false;
  current_ = id;
  return true;
}

bool BoardModel::remove(const std::vector<std::string> &ids) {
  const auto before = boards_.size();
  boards_.erase(std::remove_if(boards_.begin(), boards_.end(),
                               [&](const Board &b) {
                                 return std::find(ids.begin(), ids.end(), b.id) != ids.end();
                               }),
                boards_.end());
  if (!board(current_))
    current_ = boards_.empty() ? std::string() : boards_.front().id;
  return boards_.size() != before;
}

bool BoardModel::setColor(const QJsonObject &a) {
  const std::string id = stringOf(a, "board");
  // A colour out of range would not survive the cast; such an action changes nothing.
  uint32_t color = 0;
  if (!readUInt(a.value(QLatin1String("color")), &color))
    return false;
  if (id.empty()) {
    for (Board &b : boards_)
      b.background = color;
    return true;
  }
  Board *b = board(id);
  if (b)
    b->background = color;
  return b != nullptr;
}

bool BoardModel::setImage(const QJsonObject &a) {
  Board *b = board(stringOf(a, "board"));
  if (b)
    b->imageUrl = a.value(QLatin1String("url")).toString();
  return b != nullptr;
}

} // namespace board

#include "sdk/board/boardcore.h"

#include "sdk/board/boardaction.h"
#include "sdk/board/boardcallback.h"
#include "sdk/board/boardids.h"
#include "sdk/board/boardpainter.h"
#include "sdk/board/boardview.h"

#include <QDebug>
#include <QJsonArray>
#include <QPainterPath>
#include <QRandomGenerator>

namespace board {

namespace {
QMutex g_urlMutex;
QString g_serviceUrl;
// Where copies land relative to their originals, in canvas pixels.
constexpr int kCopyOffset = 20;
// Live data kept while the history loads; a class draws far less than this in the seconds
// a history takes, so only a flood reaches it.
constexpr int kMaxHeldBytes = 16 * 1024 * 1024;

std::string randomKey() {
  return QString::number(QRandomGenerator::global()->generate(), 36).toStdString();
}
} // namespace

BoardCore::BoardCore(const std::string &userId, QWidget *parent)
    : key_(randomKey()), images_(thread_, [this] { repaint(); }),
      view_(new BoardView(this, parent)) {
  history_.userId = QString::fromStdString(userId);
}

BoardCore::~BoardCore() {
  // Nothing may post a repaint to the view once it is gone.
  thread_.stop();
  delete view_.data();
}

void BoardCore::setCallback(BoardCallback *callback) {
  callback_ = callback;
  if (!callback)
    thread_.drain();
}

void BoardCore::setServiceUrl(const QString &url) {
  QMutexLocker lock(&g_urlMutex);
  g_serviceUrl = url;
}

void BoardCore::setReporter(uint32_t roomId, const QString &userSig) {
  QMutexLocker lock(&mutex_);
  history_.roomId = roomId;
  history_.userSig = userSig;
}

QWidget *BoardCore::view() const { return view_.data(); }

PenState BoardCore::pen() const {
  QMutexLocker lock(&mutex_);
  return pen_;
}

void BoardCore::setPen(const PenState &pen) {
  {
    QMutexLocker lock(&mutex_);
    pen_ = pen;
  }
  view_->setInputEnabled(pen.tool != ToolNone);
}

std::string BoardCore::nextKey() { return key_ + "n" + std::to_string(counter_++); }

QJsonObject BoardCore::action(const char *op) {
  return QJsonObject{{"id", QString::fromStdString(nextKey())}, {"op", op}};
}

bool BoardCore::commit(const QJsonObject &a, bool undoable) {
  {
    QMutexLocker lock(&mutex_);
    if (!model_.apply(a))
      return false;
    if (undoable) {
      undo_.push_back(stringOf(a, "id"));
      redo_.clear();
    }
  }
  emitActions(writeAction(a));
  reportStatus();
  repaint();
  return true;
}

void BoardCore::emitActions(const QByteArray &data) {
  thread_.post([this, data] {
    if (BoardCallback *cb = callback_.load())
      cb->onActionsData(data.constData(), uint32_t(data.size()));
  });
}

void BoardCore::reportStatus() {
  bool undo, redo, selection;
  {
    QMutexLocker lock(&mutex_);
    undo = !undo_.empty();
    redo = !redo_.empty();
    selection = !selected_.empty();
  }
  thread_.post([this, undo, redo, selection] {
    if (BoardCallback *cb = callback_.load())
      cb->onStatusChanged(undo, redo, selection, selection);
  });
}

void BoardCore::repaint() {
  if (view_)
    QMetaObject::invokeMethod(view_.data(), "update", Qt::QueuedConnection);
}

void BoardCore::drawItem(Item item) {
  item.id = nextKey();
  QJsonObject a = action(op::kDraw);
  {
    QMutexLocker lock(&mutex_);
    a.insert("board", QString::fromStdString(model_.currentId()));
  }
  a.insert("items", QJsonArray{itemToJson(item)});
  commit(a, true);
}

std::vector<std::string> BoardCore::visibleItems() const {
  std::vector<std::string> ids;
  if (const Board *b = model_.current())
    for (const Item &item : b->items)
      if (item.visible)
        ids.push_back(item.id);
  return ids;
}

void BoardCore::hideItems(const std::vector<std::string> &ids, const QJsonObject &extra) {
  if (ids.empty() && extra.isEmpty())
    return;
  QJsonObject a = action(op::kHide);
  {
    QMutexLocker lock(&mutex_);
    a.insert("board", QString::fromStdString(model_.currentId()));
  }
  a.insert("items", idsToJson(ids));
  for (auto it = extra.begin(); it != extra.end(); ++it)
    a.insert(it.key(), it.value());
  commit(a, true);
}

void BoardCore::eraseAlong(const QVector<QPoint> &path, uint32_t width) {
  Item eraser;
  eraser.points = path;
  eraser.width = width;
  const QPainterPath swept = itemArea(eraser, 0);
  std::vector<std::string> hit;
  {
    QMutexLocker lock(&mutex_);
    if (const Board *b = model_.current())
      for (const Item &item : b->items)
        if (item.visible && itemArea(item, 0).intersects(swept))
          hit.push_back(item.id);
  }
  if (!hit.empty())
    hideItems(hit);
}

void BoardCore::select(const QRect &area) {
  {
    QMutexLocker lock(&mutex_);
    selected_.clear();
    if (const Board *b = model_.current())
      for (const Item &item : b->items)
        if (item.visible && itemArea(item, 0).intersects(QRectF(area.normalized())))
          selected_.push_back(item.id);
  }
  reportStatus();
  repaint();
}

void BoardCore::reverse(std::vector<std::string> &from, std::vector<std::string> &to, const char *op) {
  std::string target;
  {
    QMutexLocker lock(&mutex_);
    while (!from.empty() && !model_.isReversible(from.back()))
      from.pop_back();
    if (from.empty())
      return;
    target = from.back();
    from.pop_back();
    to.push_back(target);
  }
  QJsonObject a = action(op);
  a.insert("target", QString::fromStdString(target));
  commit(a, false);
}

void BoardCore::undo() { reverse(undo_, redo_, op::kUndo); }

void BoardCore::redo() { reverse(redo_, undo_, op::kRedo); }

void BoardCore::copySelection() {
  QJsonArray copies;
  std::vector<std::string> copyIds;
  QJsonObject a = action(op::kDraw);
  {
    QMutexLocker lock(&mutex_);
    Board *b = model_.board(model_.currentId());
    for (const std::string &id : selected_) {
      const Item *original = b ? b->find(id) : nullptr;
      if (!original)
        continue;
      Item copy = *original;
      copy.id = nextKey();
      copy.points.clear();
      for (const QPoint &p : original->points)
        copy.points.append(p + QPoint(kCopyOffset, kCopyOffset));
      copies.append(itemToJson(copy));
      copyIds.push_back(copy.id);
    }
    a.insert("board", QString::fromStdString(model_.currentId()));
  }
  if (copies.isEmpty())
    return;
  a.insert("items", copies);
  if (commit(a, true)) {
    QMutexLocker lock(&mutex_);
    selected_ = copyIds;
  }
  repaint();
}

void BoardCore::removeSelection() {
  std::vector<std::string> ids;
  {
    QMutexLocker lock(&mutex_);
    ids.swap(selected_);
  }
  hideItems(ids);
}

void BoardCore::clear(bool drawingsOnly) {
  std::vector<std::string> ids;
  QJsonObject extra;
  {
    QMutexLocker lock(&mutex_);
    ids = visibleItems();
    selected_.clear();
    if (!drawingsOnly && model_.current() && !model_.current()->imageUrl.isEmpty())
      extra.insert("image", QString());
  }
  hideItems(ids, extra);
}

void BoardCore::setBackground(const std::string &boardId, uint32_t rgba) {
  QJsonObject a = action(op::kColor);
  a.insert("board", QString::fromStdString(boardId));
  a.insert("color", double(rgba));
  commit(a, false);
}

void BoardCore::setBackgroundImage(const std::string &boardId, const QString &url) {
  QJsonObject a = action(op::kImage);
  a.insert("board", QString::fromStdString(boardId.empty() ? currentId() : boardId));
  a.insert("url", url);
  commit(a, false);
}

std::string BoardCore::addBoard(const QString &url) {
  const std::string id = plainBoardId(nextKey());
  QJsonObject a = action(op::kBoard);
  a.insert("board", QString::fromStdString(id));
  a.insert("url", url);
  return commit(a, false) ? id : std::string();
}

std::string BoardCore::addFile(const QStringList &urls, std::vector<std::string> &boardIds) {
  const std::string fileId = documentFileId(nextKey());
  boardIds.clear();
  for (int page = 1; page <= urls.size(); ++page)
    boardIds.push_back(documentBoardId(nextKey(), unsigned(page), fileId));
  QJsonObject a = action(op::kFile);
  a.insert("file", QString::fromStdString(fileId));
  a.insert("boards", idsToJson(boardIds));
  a.insert("urls", QJsonArray::fromStringList(urls));
  return commit(a, false) ? fileId : std::string();
}

int BoardCore::pageOperate(const std::string &gotoId, const std::vector<std::string> &deleteIds) {
  if (!deleteIds.empty()) {
    QJsonObject a = action(op::kDelete);
    a.insert("boards", idsToJson(deleteIds));
    commit(a, false);
  }
  if (gotoId.empty())
    return 0;
  {
    QMutexLocker lock(&mutex_);
    selected_.clear();
  }
  QJsonObject a = action(op::kGoto);
  a.insert("board", QString::fromStdString(gotoId));
  return commit(a, false) ? 0 : -1;
}

std::vector<std::string> BoardCore::boardIds() const {
  QMutexLocker lock(&mutex_);
  return model_.boardIds();
}

std::string BoardCore::currentId() const {
  QMutexLocker lock(&mutex_);
  return model_.currentId();
}

Snapshot BoardCore::snapshot() const {
  QMutexLocker lock(&mutex_);
  Snapshot s;
  if (const Board *b = model_.current()) {
    s.board = *b;
    s.selected = selected_;
    s.valid = true;
  }
  return s;
}

bool BoardCore::applyData(const QByteArray &data) {
  bool changed = false;
  for (const QJsonObject &a : readActions(data))
    changed = model_.apply(a) || changed;
  return changed;
}

void BoardCore::append(const QByteArray &data) {
  bool changed = false;
  {
    QMutexLocker lock(&mutex_);
    if (loadingHistory_) {
      if (heldBytes_ + data.size() > kMaxHeldBytes) {
        qWarning("txcloud: board data dropped while the history loads (%d bytes held)", heldBytes_);
        return;
      }
      held_.append(data);
      heldBytes_ += data.size();
      return;
    }
    changed = applyData(data);
  }
  if (changed) {
    reportStatus();
    repaint();
  }
}

void BoardCore::loadHistory() {
  HistoryQuery query;
  {
    QMutexLocker lock(&mutex_);
    query = history_;
    loadingHistory_ = true;
  }
  {
    QMutexLocker lock(&g_urlMutex);
    query.serviceUrl = g_serviceUrl;
  }
  thread_.post([this, query] {
    if (query.roomId == 0) {
      replay(0, {});
      return;
    }
    historySource()(thread_.network(), query,
                    [this](int code, const QList<QByteArray> &envelopes) { replay(code, envelopes); });
  });
}

// The history first, then what arrived live meanwhile (data in both is applied once), in one
// hold of the lock, so that nothing arriving now slips in between.
void BoardCore::replay(int code, const QList<QByteArray> &envelopes) {
  {
    QMutexLocker lock(&mutex_);
    for (const QByteArray &envelope : envelopes)
      for (const QJsonObject &a : actionsOfEnvelope(envelope))
        model_.apply(a);
    for (const QByteArray &data : qAsConst(held_))
      applyData(data);
    held_.clear();
    heldBytes_ = 0;
    loadingHistory_ = false;
  }
  BoardCallback *cb = callback_.load();
  if (cb && code != 0)
    cb->onReportBoardData(code, "history not loaded");
  if (cb)
    cb->onGetBoardData(code == 0);
  reportStatus();
  repaint();
}

} // namespace board

// Fuzz target: action data from the class (IM or the board history), applied to a board model
// and painted, as the whiteboard library does with every remote change. Each action written
// out reads back as itself; applied until nothing more applies (an action may wait for a later
// one of the batch, a drawing on a board added after it), a repeat then changes nothing.
#include "fuzzapp.h"

#include "sdk/board/boardaction.h"
#include "sdk/board/boardids.h"
#include "sdk/board/boardmodel.h"
#include "sdk/board/boardpainter.h"

#include <QImage>
#include <QPainter>
#include <QSet>

#include <cmath>

namespace {

void paintCurrent(const board::BoardModel &model) {
  const board::Board *current = model.current();
  if (!current)
    return;
  static QImage canvas(64, 36, QImage::Format_ARGB32_Premultiplied);
  QPainter p(&canvas);
  p.scale(64.0 / board::kCanvasWidth, 36.0 / board::kCanvasHeight);
  board::paintBoard(p, *current, nullptr);
}

void applyUntilSettled(board::BoardModel &model, const QList<QJsonObject> &actions) {
  for (int pass = 0; pass <= actions.size(); ++pass) {
    bool applied = false;
    for (const QJsonObject &a : actions)
      applied = model.apply(a) || applied;
    if (!applied)
      return;
  }
}

// A board's background is white or a colour some action of the batch gave (colours, like
// widths, are read without their fraction).
void checkBackgrounds(const board::BoardModel &model, const QList<QJsonObject> &actions) {
  QSet<double> given;
  for (const QJsonObject &a : actions) {
    if (board::stringOf(a, "op") == board::op::kColor)
      given.insert(std::trunc(a.value(QStringLiteral("color")).toDouble()));
  }
  for (const std::string &id : model.boardIds()) {
    const uint32_t background = model.board(id)->background;
    fuzzapp::check(background == board::kWhite || given.contains(double(background)),
                   "a background no action gave");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::initGui();
  const QList<QJsonObject> actions = board::readActions(fuzzapp::bytes(data, size));
  for (const QJsonObject &action : actions) {
    const QByteArray written = board::writeAction(action);
    // Qt sorts keys that hold a NUL differently once they come back escaped; no action reads
    // such a key, so only the order of the object's members would differ.
    if (written.contains("\\u0000"))
      continue;
    // Text, not objects: Qt keeps an integer beyond 2^53 exactly but writes it as a double.
    const QList<QJsonObject> again = board::readActions(written);
    fuzzapp::check(again.size() == 1 && board::writeAction(again.first()) == written,
                   "an action changes when written and read back");
  }
  board::BoardModel model;
  model.apply(QJsonObject{{"id", "start"}, {"op", "goto"}, {"board", board::kDefaultBoard}});
  applyUntilSettled(model, actions);
  const std::vector<std::string> boards = model.boardIds();
  const std::string current = model.currentId();
  for (const QJsonObject &a : actions)
    fuzzapp::check(!model.apply(a), "an action applied twice");
  fuzzapp::check(model.boardIds() == boards && model.currentId() == current, "a repeat changed the boards");
  fuzzapp::check(current.empty() || model.current(), "the current board is missing");
  checkBackgrounds(model, actions);
  paintCurrent(model);
  return 0;
}

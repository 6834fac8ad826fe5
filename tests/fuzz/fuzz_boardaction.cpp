// Fuzz target: action data from the class (IM or the board history), applied to a board model
// and painted, as the whiteboard library does with every remote change. An applied action is
// not applied twice, and each action written out reads back as itself.
#include "fuzzapp.h"

#include "sdk/board/boardaction.h"
#include "sdk/board/boardmodel.h"
#include "sdk/board/boardpainter.h"

#include <QImage>
#include <QPainter>

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::initGui();
  board::BoardModel model;
  for (const QJsonObject &action : board::readActions(fuzzapp::bytes(data, size))) {
    const QList<QJsonObject> again = board::readActions(board::writeAction(action));
    fuzzapp::check(again.size() == 1 && again.first() == action, "an action changes when written and read back");
    if (model.apply(action))
      fuzzapp::check(!model.apply(action), "an action was applied twice");
  }
  paintCurrent(model);
  return 0;
}

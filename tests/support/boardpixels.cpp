#include "support/boardpixels.h"

#include "sdk/board/boardpainter.h"
#include "whiteboard/boardservice.h"
#include "whiteboard/qwindowwhiteboard.h"

#include <QImage>

namespace boardpixels {

namespace {
bool isRed(const QColor &c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }
} // namespace

bool showsRedAt(QWindowWhiteBoard *board, int x, int y) {
  if (!board) return false;
  QWidget *view = board->boardService()->renderWindow();
  const QImage image = view->grab().toImage();
  const QRectF canvas = board::canvasRect(view->size());
  const int px = int(canvas.left() + x * canvas.width() / board::kCanvasWidth);
  const int py = int(canvas.top() + y * canvas.height() / board::kCanvasHeight);
  for (int dy = -2; dy <= 2; ++dy)
    if (image.valid(px, py + dy) && isRed(image.pixelColor(px, py + dy))) return true;
  return false;
}

} // namespace boardpixels

#pragma once
// What a whiteboard window shows at a point of the board's canvas, read from its render
// window's pixels.

class QWindowWhiteBoard;

namespace boardpixels {

// Whether the board shows red at the canvas point, or a pixel or two beside it (a thin pen on
// a small window).
bool showsRedAt(QWindowWhiteBoard *board, int x, int y);

} // namespace boardpixels

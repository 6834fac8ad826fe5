#pragma once
// How a shadow window gets a picture of what lies beneath it, for window systems that do
// not blend translucent windows themselves (X11 without a compositing manager).

#include <QPixmap>
#include <QRect>

class QWidget;

namespace shadowbackdrop {
// True when translucent windows are shown unblended and the shadow must blend itself.
bool needed();
// The screen's content in rect (global coordinates), for the shadow window self.
QPixmap grab(QWidget *self, const QRect &rect);
} // namespace shadowbackdrop

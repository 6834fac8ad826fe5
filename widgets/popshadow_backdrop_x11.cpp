#include "widgets/popshadow_backdrop.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QX11Info>

namespace shadowbackdrop {

bool needed() {
  // Other platforms (offscreen in the tests, Wayland) blend on their own.
  return QX11Info::isPlatformX11() && !QX11Info::isCompositingManagerRunning();
}

QPixmap grab(QWidget *self, const QRect &rect) {
  QScreen *screen = QGuiApplication::screenAt(rect.center());
  if (!screen) screen = self->screen();
  if (!screen) return QPixmap();
  const QRect local = rect.translated(-screen->geometry().topLeft());
  return screen->grabWindow(0, local.x(), local.y(), local.width(), local.height());
}

} // namespace shadowbackdrop

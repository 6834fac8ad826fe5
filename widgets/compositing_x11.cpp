#include "widgets/compositing.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QX11Info>

namespace compositing {

bool translucentWindowsBlend() {
  // Other platforms (offscreen in the tests, Wayland) blend on their own.
  return !QX11Info::isPlatformX11() || QX11Info::isCompositingManagerRunning();
}

QPixmap grabScreen(QWidget *widget, const QRect &rect) {
  QScreen *screen = QGuiApplication::screenAt(rect.center());
  if (!screen) screen = widget->screen();
  if (!screen) return QPixmap();
  const QRect local = rect.translated(-screen->geometry().topLeft());
  return screen->grabWindow(0, local.x(), local.y(), local.width(), local.height());
}

} // namespace compositing

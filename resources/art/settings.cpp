// Artwork of the settings dialog and the user menu: the two switch states, the about logo,
// the coin icon and the menu item icons.

#include "art.h"

#include <QPainterPath>

namespace {

using art::color::gray;
using art::color::white;
using art::color::yellow;
using art::color::yellowDark;

const QColor kInk(0x25, 0x1B, 0x18);

void switchArt(QPainter &p, const QSize &s, bool on) {
  const QRectF track(1, 1, s.width() - 2, s.height() - 2);
  art::roundedButton(p, track, on ? yellow : QColor(0xDD, 0xDF, 0xE3), track.height() / 2);
  const qreal d = track.height() - 4;
  const qreal x = on ? track.right() - 2 - d : track.left() + 2;
  p.setPen(QPen(on ? yellowDark : gray, 1));
  p.setBrush(white);
  p.drawEllipse(QRectF(x, track.top() + 2, d, d));
}

void aboutLogo(QPainter &p, const QSize &s) {
  const QRectF mark(2, 2, s.width() - 4, s.height() - 4);
  art::roundedButton(p, mark, QColor(0xFF, 0xDC, 0x00), mark.width() * 0.22);
  art::centeredText(p, mark, QStringLiteral("T"), kInk, int(mark.height() * 0.62), true);
}

void coin(QPainter &p, const QSize &s) {
  const QRectF r(1, 1, s.width() - 2, s.height() - 2);
  p.setPen(QPen(yellowDark, 1.5));
  p.setBrush(yellow);
  p.drawEllipse(r);
  art::centeredText(p, r, QStringLiteral("¥"), white, int(r.height() * 0.6), true);
}

// Menu icons: a simple line glyph each, ink on transparent.
void menuGlyph(QPainter &p, const QSize &s, int kind) {
  const qreal u = s.width() / 20.0;
  p.setPen(QPen(QColor(0x66, 0x66, 0x66), 1.6 * u, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  switch (kind) {
  case 0: // shop: a bag
    p.drawRoundedRect(QRectF(4 * u, 7 * u, 12 * u, 10 * u), 2 * u, 2 * u);
    p.drawArc(QRectF(7 * u, 3 * u, 6 * u, 8 * u), 0, 180 * 16);
    break;
  case 1: // personal info: a head and shoulders
    p.drawEllipse(QRectF(7 * u, 3 * u, 6 * u, 6 * u));
    p.drawArc(QRectF(4 * u, 11 * u, 12 * u, 10 * u), 0, 180 * 16);
    break;
  case 2: // password: a lock
    p.drawRoundedRect(QRectF(5 * u, 9 * u, 10 * u, 8 * u), 1.5 * u, 1.5 * u);
    p.drawArc(QRectF(7 * u, 4 * u, 6 * u, 9 * u), 0, 180 * 16);
    break;
  default: { // log-out: an open circle with a bar
    p.drawArc(QRectF(4 * u, 4 * u, 12 * u, 12 * u), 120 * 16, 300 * 16);
    p.drawLine(QPointF(10 * u, 2.5 * u), QPointF(10 * u, 9 * u));
  }
  }
}

} // namespace

ART_REGISTER(settings) {
  art::addImage(QStringLiteral("switch_on.png"), {40, 22},
                [](QPainter &p, const QSize &s) { switchArt(p, s, true); });
  art::addImage(QStringLiteral("switch_off.png"), {40, 22},
                [](QPainter &p, const QSize &s) { switchArt(p, s, false); });
  art::addImage(QStringLiteral("about_logo.png"), {72, 72}, aboutLogo);
  art::addImage(QStringLiteral("gold.png"), {16, 16}, coin);
  const char *const icons[] = {"menu_gold.png", "menu_info.png", "menu_password.png", "menu_logout.png"};
  for (int i = 0; i < 4; ++i)
    art::addImage(QLatin1String(icons[i]), {20, 20}, [i](QPainter &p, const QSize &s) { menuGlyph(p, s, i); });
}

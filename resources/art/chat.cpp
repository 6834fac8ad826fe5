// Artwork of the class chat: the two side-panel tabs, the tool bar's emoji and screenshot
// icons, and the small send button.

#include "art.h"

#include <QPainterPath>

namespace {

using art::color::gray;
using art::color::grayDark;
using art::color::panel;
using art::color::white;
using art::color::yellow;
using art::color::yellowDark;

enum class Look { Normal, Hover, Disabled };
constexpr Look kLooks[] = {Look::Normal, Look::Hover, Look::Disabled};

QString withLook(const char *base, Look look) {
  static const char *const suffixes[] = {".png", "_hover.png", "_disabled.png"};
  return QString::fromLatin1(base) + QString::fromLatin1(suffixes[int(look)]);
}

QColor iconColor(Look look) {
  if (look == Look::Disabled) return gray;
  return look == Look::Hover ? yellowDark : grayDark;
}

void tab(QPainter &p, const QSize &s, bool selected) {
  p.fillRect(QRect(QPoint(0, 0), s), selected ? white : panel);
  if (selected) p.fillRect(QRectF(24, s.height() - 3, s.width() - 48, 3), yellow);
  else p.fillRect(QRectF(0, s.height() - 1, s.width(), 1), gray);
}

void emoticon(QPainter &p, const QSize &s, Look look) {
  const QColor c = iconColor(look);
  p.setPen(QPen(c, 1.6));
  p.setBrush(Qt::NoBrush);
  const QRectF r(2, 2, s.width() - 4, s.height() - 4);
  p.drawEllipse(r);
  p.setBrush(c);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(r.center().x() - 3.5, r.center().y() - 2.5), 1.4, 1.6);
  p.drawEllipse(QPointF(r.center().x() + 3.5, r.center().y() - 2.5), 1.4, 1.6);
  p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(r.center().x() - 5, r.center().y() - 3, 10, 8), 200 * 16, 140 * 16);
}

void screenShot(QPainter &p, const QSize &s, Look look) {
  const QColor c = iconColor(look);
  p.setPen(QPen(c, 1.8, Qt::SolidLine, Qt::SquareCap));
  const qreal w = s.width(), h = s.height();
  // Two crop marks crossing at opposite corners, and a dashed frame between them.
  p.drawLine(QPointF(6, 2), QPointF(6, h - 6));
  p.drawLine(QPointF(6, h - 6), QPointF(w - 2, h - 6));
  p.drawLine(QPointF(2, 6), QPointF(w - 6, 6));
  p.drawLine(QPointF(w - 6, 6), QPointF(w - 6, h - 2));
}

void sendButton(QPainter &p, const QSize &s, Look look) {
  const QColor fill = look == Look::Disabled ? panel : look == Look::Hover ? yellow : QColor(0xEE, 0xEF, 0xF2);
  art::roundedButton(p, QRectF(0.5, 0.5, s.width() - 1, s.height() - 1), fill, 4);
  p.setPen(QPen(look == Look::Hover ? yellowDark : gray, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(0.5, 0.5, s.width() - 1, s.height() - 1), 4, 4);
}

} // namespace

ART_REGISTER(chat) {
  art::addImage(QStringLiteral("message_tab.png"), {124, 43}, [](QPainter &p, const QSize &s) { tab(p, s, false); });
  art::addImage(QStringLiteral("message_tab_selected.png"), {124, 43},
                [](QPainter &p, const QSize &s) { tab(p, s, true); });
  for (Look look : kLooks) {
    art::addImage(withLook("emoticon", look), {24, 24}, [look](QPainter &p, const QSize &s) { emoticon(p, s, look); });
    art::addImage(withLook("screen_shot", look), {24, 24},
                  [look](QPainter &p, const QSize &s) { screenShot(p, s, look); });
    art::addImage(withLook("gray_button2", look), {60, 26},
                  [look](QPainter &p, const QSize &s) { sendButton(p, s, look); });
  }
}

// Artwork of the common widgets: the pop-up frame (close button, shadows), the message box
// (info icon, yellow and grey buttons), the volume sliders, the refresh button with its
// 30-frame turn, and the avatar with its round mask.

#include "art.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>
#include <QtMath>
#include <cmath>
#include <vector>

namespace {

using art::color::gray;
using art::color::grayDark;
using art::color::white;
using art::color::yellow;
using art::color::yellowDark;

// Colours of the pop-up frame itself, so the artwork matches the frame's style sheets.
const QColor kFrameYellow(0xFF, 0xDC, 0x00); // top line and title bar of the shell
const QColor kCaption(0x25, 0x1B, 0x18);     // title text
const QColor kTrack(0xE3, 0xE5, 0xE8);
const QColor kGlyph(0x33, 0x33, 0x33);

QPen roundPen(const QColor &c, qreal w) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

QColor withAlpha(QColor c, qreal a) {
  c.setAlphaF(a);
  return c;
}

enum class Look { Normal, Hover, Disabled };

const char *suffix(Look look) {
  switch (look) {
  case Look::Hover: return "_hover.png";
  case Look::Disabled: return "_disabled.png";
  case Look::Normal: break;
  }
  return ".png";
}

const Look kLooks[] = {Look::Normal, Look::Hover, Look::Disabled};

// ---------------------------------------------------------------------------------------------
// Soft shadows: a Gaussian blur of the alpha channel.

std::vector<float> gaussianKernel(qreal sigma) {
  const int r = int(std::ceil(sigma * 3));
  std::vector<float> k(size_t(2 * r + 1));
  float sum = 0;
  for (int i = -r; i <= r; ++i) {
    k[size_t(i + r)] = float(std::exp(-(i * i) / (2 * sigma * sigma)));
    sum += k[size_t(i + r)];
  }
  for (float &v : k) v /= sum;
  return k;
}

// Blurs a plane of w * h coverage values in place, horizontally then vertically.
void blurPlane(std::vector<float> &plane, int w, int h, qreal sigma) {
  const std::vector<float> k = gaussianKernel(sigma);
  const int r = int(k.size() / 2);
  std::vector<float> tmp(plane.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float acc = 0;
      for (int i = -r; i <= r; ++i) {
        const int xx = qBound(0, x + i, w - 1);
        acc += plane[size_t(y * w + xx)] * k[size_t(i + r)];
      }
      tmp[size_t(y * w + x)] = acc;
    }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float acc = 0;
      for (int i = -r; i <= r; ++i) {
        const int yy = qBound(0, y + i, h - 1);
        acc += tmp[size_t(yy * w + x)] * k[size_t(i + r)];
      }
      plane[size_t(y * w + x)] = acc;
    }
}

struct ShadowLook {
  qreal sigma;    // blur
  qreal offsetY;  // light from above: the shadow falls a little lower
  qreal strength; // darkest alpha next to the window
};

// The shadow of a window whose edge lies 20 pixels in on the sides, 10 in at the top and
// 20 in at the bottom (the shadow window's geometry). The window's own area stays clear,
// since the shadow window overlaps the window's lowest rows.
QImage windowShadow(const QSize &s, const ShadowLook &look) {
  const QRect window(20, 10, s.width() - 40, s.height() - 30);
  std::vector<float> plane(size_t(s.width() * s.height()), 0.0f);
  const QRectF caster = QRectF(window).translated(0, look.offsetY).adjusted(1, 1, -1, -1);
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x)
      if (caster.contains(QPointF(x + 0.5, y + 0.5))) plane[size_t(y * s.width() + x)] = 1.0f;
  blurPlane(plane, s.width(), s.height(), look.sigma);

  QImage img(s, QImage::Format_ARGB32);
  for (int y = 0; y < s.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
    for (int x = 0; x < s.width(); ++x) {
      const bool inside = window.contains(x, y);
      const int a = inside ? 0 : qBound(0, int(plane[size_t(y * s.width() + x)] * look.strength * 255 + 0.5), 255);
      line[x] = qRgba(0x1E, 0x1A, 0x10, a);
    }
  }
  return img;
}

void shadowArt(const char *name, const QSize &size, const ShadowLook &look) {
  art::addImage(QString::fromLatin1(name), size,
                [look](QPainter &p, const QSize &s) { p.drawImage(0, 0, windowShadow(s, look)); });
}

// A small blurred drop shadow for round or rounded shapes drawn on top of it.
void dropShadow(QPainter &p, const QSize &s, const QPainterPath &shape, qreal sigma, qreal alpha) {
  QImage mask(s, QImage::Format_ARGB32_Premultiplied);
  mask.fill(Qt::transparent);
  {
    QPainter m(&mask);
    m.setRenderHint(QPainter::Antialiasing);
    m.fillPath(shape, Qt::black);
  }
  std::vector<float> plane(size_t(s.width() * s.height()));
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) plane[size_t(y * s.width() + x)] = qAlpha(mask.pixel(x, y)) / 255.0f;
  blurPlane(plane, s.width(), s.height(), sigma);
  QImage out(s, QImage::Format_ARGB32);
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x)
      out.setPixel(x, y, qRgba(0, 0, 0, qBound(0, int(plane[size_t(y * s.width() + x)] * alpha * 255), 255)));
  p.drawImage(0, 0, out);
}

// ---------------------------------------------------------------------------------------------
// Buttons of the message box and the dialogs.

void yellowButton(QPainter &p, const QSize &s, Look look) {
  const QRectF r = QRectF(0, 0, s.width(), s.height()).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  if (look == Look::Disabled) {
    g.setColorAt(0, QColor(0xF6, 0xE8, 0xB4));
    g.setColorAt(1, QColor(0xF1, 0xDF, 0xA0));
  } else if (look == Look::Hover) {
    g.setColorAt(0, QColor(0xFF, 0xD8, 0x4A));
    g.setColorAt(1, yellowDark.lighter(108));
  } else {
    g.setColorAt(0, QColor(0xFF, 0xD5, 0x4F));
    g.setColorAt(1, yellow);
  }
  p.setPen(QPen(look == Look::Disabled ? QColor(0xEC, 0xD7, 0x8E) : yellowDark, 1));
  p.setBrush(g);
  p.drawRoundedRect(r, 4, 4);
}

void grayButton(QPainter &p, const QSize &s, Look look) {
  const QRectF r = QRectF(0, 0, s.width(), s.height()).adjusted(0.5, 0.5, -0.5, -0.5);
  QColor fill(0xF4, 0xF5, 0xF7), border(0xD3, 0xD6, 0xDB);
  if (look == Look::Hover) {
    fill = QColor(0xEA, 0xEC, 0xEF);
    border = gray;
  } else if (look == Look::Disabled) {
    fill = QColor(0xF9, 0xF9, 0xFA);
    border = QColor(0xE8, 0xE9, 0xEB);
  }
  p.setPen(QPen(border, 1));
  p.setBrush(fill);
  p.drawRoundedRect(r, 4, 4);
}

void popClose(QPainter &p, const QSize &s, Look look) {
  const QRectF r(0, 0, s.width(), s.height());
  if (look == Look::Hover) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF0, 0xF1, 0xF3));
    p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
  }
  const QColor c = look == Look::Hover ? kCaption : look == Look::Disabled ? QColor(0xD5, 0xD7, 0xDB) : QColor(0x99, 0x99, 0x99);
  p.setPen(roundPen(c, 1.6));
  const qreal m = s.width() * 0.31;
  p.drawLine(QPointF(m, m), QPointF(s.width() - m, s.height() - m));
  p.drawLine(QPointF(s.width() - m, m), QPointF(m, s.height() - m));
}

void infoIcon(QPainter &p, const QSize &s) {
  const QRectF r = QRectF(0, 0, s.width(), s.height()).adjusted(2, 2, -2, -2);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, QColor(0xFF, 0xD5, 0x4F));
  g.setColorAt(1, yellowDark);
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawEllipse(r);
  const qreal cx = s.width() / 2.0;
  const qreal unit = s.width() / 40.0;
  p.setBrush(white);
  p.drawEllipse(QPointF(cx, 11.5 * unit), 2.6 * unit, 2.6 * unit);
  p.drawRoundedRect(QRectF(cx - 2.3 * unit, 16.5 * unit, 4.6 * unit, 14 * unit), 2.3 * unit, 2.3 * unit);
}

// ---------------------------------------------------------------------------------------------
// Sliders.

void popSliderBackground(QPainter &p, const QSize &s) {
  // A white card with a pointer at the bottom, aimed at the button below it.
  const qreal cx = s.width() / 2.0;
  const QRectF card(4, 3, s.width() - 8, s.height() - 14);
  QPainterPath shape;
  shape.addRoundedRect(card, 6, 6);
  QPainterPath tip;
  tip.moveTo(cx - 7, card.bottom() - 1);
  tip.lineTo(cx, card.bottom() + 7);
  tip.lineTo(cx + 7, card.bottom() - 1);
  tip.closeSubpath();
  shape = shape.united(tip);
  dropShadow(p, s, shape.translated(0, 1), 1.6, 0.22);
  p.setPen(QPen(QColor(0xE6, 0xE7, 0xEA), 1));
  p.setBrush(white);
  p.drawPath(shape);
}

void trackPiece(QPainter &p, const QSize &s, const QColor &c, int roundSide) {
  // roundSide: -1 rounded on the left, +1 on the right, 0 straight.
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  const qreal h = s.height();
  if (roundSide == 0) {
    p.drawRect(QRectF(0, 0, s.width(), h));
    return;
  }
  const qreal x = roundSide < 0 ? 0 : -s.width();
  p.drawRoundedRect(QRectF(x, 0, s.width() * 2, h), h / 2, h / 2);
}

void filledTrack(QPainter &p, const QSize &s, int roundSide) {
  QLinearGradient g(0, 0, 0, s.height());
  g.setColorAt(0, QColor(0xFF, 0xD5, 0x4F));
  g.setColorAt(1, yellow);
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  if (roundSide == 0) {
    p.drawRect(QRectF(0, 0, s.width(), s.height()));
    return;
  }
  p.drawRoundedRect(QRectF(0, 0, s.width() * 2, s.height()), s.height() / 2.0, s.height() / 2.0);
}

void sliderKnob(QPainter &p, const QSize &s, bool active) {
  const QRectF r = QRectF(0, 0, s.width(), s.height()).adjusted(2, 1.5, -2, -2.5);
  QPainterPath knob;
  knob.addEllipse(r);
  dropShadow(p, s, knob.translated(0, 1), 1.2, 0.30);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, white);
  g.setColorAt(1, QColor(0xE9, 0xEB, 0xEE));
  p.setPen(QPen(active ? yellowDark : QColor(0xC9, 0xCC, 0xD1), active ? 1.5 : 1));
  p.setBrush(g);
  p.drawEllipse(r);
  p.setPen(Qt::NoPen);
  p.setBrush(active ? yellow : QColor(0xD5, 0xD8, 0xDD));
  p.drawEllipse(r.center(), r.width() * 0.16, r.width() * 0.16);
}

// ---------------------------------------------------------------------------------------------
// Refresh glyph and its turn.

// A circular arrow: an open ring with an arrow head at its upper end.
void refreshGlyph(QPainter &p, QPointF c, qreal radius, const QColor &col, qreal width) {
  p.setBrush(Qt::NoBrush);
  p.setPen(roundPen(col, width));
  const QRectF ring(c.x() - radius, c.y() - radius, radius * 2, radius * 2);
  p.drawArc(ring, 60 * 16, 290 * 16);
  const qreal a = qDegreesToRadians(60.0);
  const QPointF end(c.x() + radius * std::cos(a), c.y() - radius * std::sin(a));
  QPainterPath head;
  const qreal h = width * 2.2;
  head.moveTo(end + QPointF(h * 0.95, -h * 0.15));
  head.lineTo(end + QPointF(-h * 0.35, -h * 0.95));
  head.lineTo(end + QPointF(-h * 0.10, h * 0.85));
  head.closeSubpath();
  p.setPen(roundPen(col, width * 0.6));
  p.setBrush(col);
  p.drawPath(head);
}

void refreshButton(QPainter &p, const QSize &s, Look look) {
  const QPointF c(s.width() / 2.0, s.height() / 2.0);
  if (look == Look::Hover) {
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(Qt::black, 0.08));
    p.drawEllipse(c, s.width() / 2.0 - 0.5, s.height() / 2.0 - 0.5);
  }
  const QColor col = look == Look::Disabled ? withAlpha(kGlyph, 0.3) : look == Look::Hover ? Qt::black : kGlyph;
  refreshGlyph(p, c, s.width() * 0.24, col, s.width() * 0.075);
}

// The ring around the refresh glyph: a faint track, and while loading a comet-like arc
// whose head has turned frame * 12 degrees.
void reloadRing(QPainter &p, const QSize &s, int frame) {
  const QPointF c(s.width() / 2.0, s.height() / 2.0);
  const qreal radius = s.width() / 2.0 - s.width() * 0.06;
  const qreal width = s.width() * 0.06;
  const QRectF ring(c.x() - radius, c.y() - radius, radius * 2, radius * 2);
  p.setBrush(Qt::NoBrush);
  p.setPen(roundPen(withAlpha(kGlyph, 0.14), width));
  p.drawEllipse(ring);
  if (frame < 0) return;
  const int segments = 24;
  const qreal head = 90.0 - frame * 12.0; // clockwise from the top
  for (int i = 0; i < segments; ++i) {
    const qreal t = qreal(i + 1) / segments;
    p.setPen(roundPen(withAlpha(kGlyph, 0.9 * t * t), width));
    const qreal start = head + (segments - i) * 7.5;
    p.drawArc(ring, int(start * 16), int(-7.5 * 16));
  }
}

// ---------------------------------------------------------------------------------------------
// Avatar.

void avatarDefault(QPainter &p, const QSize &s) {
  const qreal w = s.width();
  QLinearGradient g(0, 0, 0, s.height());
  g.setColorAt(0, QColor(0xFF, 0xF1, 0xC2));
  g.setColorAt(1, QColor(0xFF, 0xE2, 0x8A));
  p.fillRect(QRectF(0, 0, w, s.height()), g);
  p.setPen(Qt::NoPen);
  p.setBrush(white);
  p.drawEllipse(QPointF(w / 2, w * 0.40), w * 0.17, w * 0.17);
  QPainterPath body;
  body.addEllipse(QRectF(w * 0.20, w * 0.62, w * 0.60, w * 0.56));
  p.drawPath(body);
}

void avatarMask(QPainter &p, const QSize &s) {
  // The title bar's yellow outside a circle, a thin white ring on the circle's edge.
  const QRectF r(0, 0, s.width(), s.height());
  QPainterPath outside;
  outside.addRect(r);
  QPainterPath circle;
  circle.addEllipse(r.adjusted(1, 1, -1, -1));
  p.fillPath(outside.subtracted(circle), kFrameYellow);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(white, s.width() / 32.0));
  p.drawEllipse(r.adjusted(1.5, 1.5, -1.5, -1.5));
}

} // namespace

ART_REGISTER(widgets) {
  for (Look look : kLooks) {
    const QString sfx = QString::fromLatin1(suffix(look));
    art::addImage(QStringLiteral("pop_close") + sfx, {20, 20},
                  [look](QPainter &p, const QSize &s) { popClose(p, s, look); });
    art::addImage(QStringLiteral("yellow_button") + sfx, {110, 36},
                  [look](QPainter &p, const QSize &s) { yellowButton(p, s, look); });
    art::addImage(QStringLiteral("gray_button") + sfx, {110, 36},
                  [look](QPainter &p, const QSize &s) { grayButton(p, s, look); });
    art::addImage(QStringLiteral("refresh") + sfx, {25, 25},
                  [look](QPainter &p, const QSize &s) { refreshButton(p, s, look); });
  }
  art::addImage(QStringLiteral("info.png"), {40, 40}, infoIcon);

  // Sizes of the windows they usually surround; the frame stretches only their middles.
  shadowArt("pop_background.png", {460, 290}, {5.5, 3.0, 0.36});
  shadowArt("pop_background_big.png", {1240, 830}, {6.5, 4.0, 0.40});

  art::addImage(QStringLiteral("pop_slider_background.png"), {46, 121}, popSliderBackground);
  art::addImage(QStringLiteral("slider_left.png"), {3, 6},
                [](QPainter &p, const QSize &s) { filledTrack(p, s, -1); });
  art::addImage(QStringLiteral("slider_top.png"), {8, 6},
                [](QPainter &p, const QSize &s) { filledTrack(p, s, 0); });
  art::addImage(QStringLiteral("slider_bottom.png"), {8, 6},
                [](QPainter &p, const QSize &s) { trackPiece(p, s, kTrack, 0); });
  art::addImage(QStringLiteral("slider_right.png"), {3, 6},
                [](QPainter &p, const QSize &s) { trackPiece(p, s, kTrack, +1); });
  art::addImage(QStringLiteral("slider_button.png"), {20, 20},
                [](QPainter &p, const QSize &s) { sliderKnob(p, s, false); });
  art::addImage(QStringLiteral("slider_button2.png"), {20, 20},
                [](QPainter &p, const QSize &s) { sliderKnob(p, s, true); });

  art::addImage(QStringLiteral("reload0.png"), {25, 25},
                [](QPainter &p, const QSize &s) { reloadRing(p, s, -1); });
  for (int frame = 0; frame < 30; ++frame)
    art::addImage(QStringLiteral("frame-%1.png").arg(frame), {25, 25},
                  [frame](QPainter &p, const QSize &s) { reloadRing(p, s, frame); });

  art::addImage(QStringLiteral("avatar_default.png"), {80, 80}, avatarDefault);
  art::addImage(QStringLiteral("avatar_mask.png"), {80, 80}, avatarMask);
}

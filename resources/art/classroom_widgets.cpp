// Artwork of the classroom widgets: the live toolbar's microphone and speaker, the stage
// control (backgrounds, hand, hand-raise ring, small microphone and camera), the speech
// bubble, and the reward red packet with its light, sparkles, frames and coin sound.

#include "art.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <cmath>
#include <unordered_map>

namespace {

using art::color::gray;
using art::color::grayDark;
using art::color::white;
using art::color::yellow;
using art::color::yellowDark;

const QColor kOrange(0xFE, 0x49, 0x04);     // hover colour of the toolbar captions
const QColor kOrangeSoft(0xFF, 0xEF, 0xE7); // hover backdrop behind toolbar icons
const QColor kIcon(0x4A, 0x4F, 0x57);
const QColor kIconDisabled(0xCC, 0xCF, 0xD4);
const QColor kPacketRed(0xE8, 0x3A, 0x2E);
const QColor kPacketRedDark(0xC4, 0x22, 0x1C);
const QColor kPacketFlap(0xF2, 0x55, 0x42);
const QColor kGoldLight(0xFF, 0xE8, 0x8A);

// ---------------------------------------------------------------------------------------------
// Glyphs, drawn into a square of side s centred on c.

QPen strokePen(const QColor &c, qreal w) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void micGlyph(QPainter &p, QPointF c, qreal s, const QColor &col) {
  p.setPen(Qt::NoPen);
  p.setBrush(col);
  const QRectF capsule(c.x() - 0.17 * s, c.y() - 0.42 * s, 0.34 * s, 0.52 * s);
  p.drawRoundedRect(capsule, 0.17 * s, 0.17 * s);
  p.setBrush(Qt::NoBrush);
  p.setPen(strokePen(col, 0.08 * s));
  const QRectF cradle(c.x() - 0.28 * s, c.y() - 0.36 * s, 0.56 * s, 0.58 * s);
  p.drawArc(cradle, 180 * 16, 180 * 16);
  p.drawLine(QPointF(c.x(), c.y() + 0.22 * s), QPointF(c.x(), c.y() + 0.36 * s));
  p.drawLine(QPointF(c.x() - 0.16 * s, c.y() + 0.38 * s), QPointF(c.x() + 0.16 * s, c.y() + 0.38 * s));
}

void speakerGlyph(QPainter &p, QPointF c, qreal s, const QColor &col, bool on) {
  const qreal x = c.x() - 0.12 * s;
  QPainterPath body;
  body.moveTo(x - 0.30 * s, c.y() - 0.12 * s);
  body.lineTo(x - 0.14 * s, c.y() - 0.12 * s);
  body.lineTo(x + 0.08 * s, c.y() - 0.32 * s);
  body.lineTo(x + 0.08 * s, c.y() + 0.32 * s);
  body.lineTo(x - 0.14 * s, c.y() + 0.12 * s);
  body.lineTo(x - 0.30 * s, c.y() + 0.12 * s);
  body.closeSubpath();
  p.setPen(strokePen(col, 0.05 * s));
  p.setBrush(col);
  p.drawPath(body);
  p.setBrush(Qt::NoBrush);
  p.setPen(strokePen(col, 0.07 * s));
  if (on) {
    for (qreal r : {0.17, 0.31}) {
      const QRectF arc(x + 0.08 * s - r * s, c.y() - r * s, 2 * r * s, 2 * r * s);
      p.drawArc(arc, -50 * 16, 100 * 16);
    }
  } else {
    const QPointF m(x + 0.30 * s, c.y());
    const qreal d = 0.11 * s;
    p.drawLine(m + QPointF(-d, -d), m + QPointF(d, d));
    p.drawLine(m + QPointF(-d, d), m + QPointF(d, -d));
  }
}

void cameraGlyph(QPainter &p, QPointF c, qreal s, const QColor &col) {
  p.setPen(Qt::NoPen);
  p.setBrush(col);
  p.drawRoundedRect(QRectF(c.x() - 0.40 * s, c.y() - 0.24 * s, 0.54 * s, 0.48 * s), 0.1 * s, 0.1 * s);
  QPainterPath lens;
  lens.moveTo(c.x() + 0.18 * s, c.y() - 0.07 * s);
  lens.lineTo(c.x() + 0.40 * s, c.y() - 0.22 * s);
  lens.lineTo(c.x() + 0.40 * s, c.y() + 0.22 * s);
  lens.lineTo(c.x() + 0.18 * s, c.y() + 0.07 * s);
  lens.closeSubpath();
  p.setPen(strokePen(col, 0.04 * s));
  p.drawPath(lens);
}

// A raised open hand, palm towards the viewer.
void handGlyph(QPainter &p, QPointF c, qreal s, const QColor &col) {
  const qreal ox = c.x() - 0.5 * s, oy = c.y() - 0.5 * s;
  auto at = [&](qreal x, qreal y) { return QPointF(ox + x * s, oy + y * s); };
  p.setPen(Qt::NoPen);
  p.setBrush(col);
  p.drawRoundedRect(QRectF(at(0.30, 0.46), at(0.80, 0.94)), 0.16 * s, 0.16 * s);
  const qreal fingerTops[] = {0.17, 0.08, 0.11, 0.22};
  for (int i = 0; i < 4; ++i) {
    const qreal x = 0.31 + i * 0.125;
    p.drawRoundedRect(QRectF(at(x, fingerTops[i]), at(x + 0.105, 0.62)), 0.052 * s, 0.052 * s);
  }
  p.setPen(strokePen(col, 0.12 * s));
  p.drawLine(at(0.36, 0.74), at(0.17, 0.50));
}

// Cuts a diagonal gap into what is drawn and lays a slash into it (a switched-off device).
void slash(QPainter &p, QPointF c, qreal s, const QColor &col) {
  const QPointF a = c + QPointF(-0.36 * s, -0.36 * s), b = c + QPointF(0.36 * s, 0.36 * s);
  p.save();
  p.setCompositionMode(QPainter::CompositionMode_Clear);
  p.setPen(strokePen(Qt::black, 0.2 * s));
  p.drawLine(a, b);
  p.restore();
  p.setPen(strokePen(col, 0.08 * s));
  p.drawLine(a, b);
}

// Gold coin with rim, shine and an embossed currency sign. tilt < 1 squeezes it vertically.
void coin(QPainter &p, QPointF c, qreal r, qreal tilt = 1.0) {
  p.save();
  p.translate(c);
  p.scale(1.0, tilt);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x8A, 0x3A, 0x00, 70));
  p.drawEllipse(QPointF(0, r * 0.10), r * 1.02, r * 1.02);
  QRadialGradient outer(QPointF(-0.3 * r, -0.35 * r), 1.5 * r);
  outer.setColorAt(0, kGoldLight);
  outer.setColorAt(0.55, yellow);
  outer.setColorAt(1, yellowDark);
  p.setBrush(outer);
  p.drawEllipse(QPointF(0, 0), r, r);
  p.setPen(QPen(QColor(0xD9, 0x8A, 0x00), r * 0.06));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(0, 0), r * 0.78, r * 0.78);
  QRadialGradient inner(QPointF(0.2 * r, 0.25 * r), r);
  inner.setColorAt(0, QColor(0xFF, 0xD6, 0x4A));
  inner.setColorAt(1, QColor(0xFF, 0xC2, 0x1E));
  p.setPen(Qt::NoPen);
  p.setBrush(inner);
  p.drawEllipse(QPointF(0, 0), r * 0.74, r * 0.74);
  QFont f(QStringLiteral("Noto Sans CJK SC"));
  f.setPixelSize(int(r * 1.05));
  f.setBold(true);
  p.setFont(f);
  const QRectF box(-r, -r, 2 * r, 2 * r);
  p.setPen(QColor(0xFF, 0xF4, 0xC0));
  p.drawText(box.translated(0, r * 0.05), Qt::AlignCenter, QStringLiteral("¥"));
  p.setPen(QColor(0xC8, 0x72, 0x00));
  p.drawText(box, Qt::AlignCenter, QStringLiteral("¥"));
  p.setBrush(QColor(255, 255, 255, 120));
  p.drawEllipse(QPointF(-0.42 * r, -0.46 * r), r * 0.16, r * 0.10);
  p.restore();
}

// ---------------------------------------------------------------------------------------------
// Toolbar microphone and speaker (50 x 50, the caption sits in the bottom 18 pixels).

enum class Look { Normal, Hover, Disabled };

QString suffix(Look look) {
  switch (look) {
  case Look::Hover: return QStringLiteral("_hover.png");
  case Look::Disabled: return QStringLiteral("_disabled.png");
  default: return QStringLiteral(".png");
  }
}

QColor iconColour(Look look) {
  if (look == Look::Hover) return kOrange;
  return look == Look::Disabled ? kIconDisabled : kIcon;
}

void addToolbarIcon(const QString &base, bool deviceOn, bool mic) {
  for (Look look : {Look::Normal, Look::Hover, Look::Disabled}) {
    art::addImage(base + suffix(look), {50, 50}, [=](QPainter &p, const QSize &) {
      const QPointF c(25, 15);
      if (look == Look::Hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(kOrangeSoft);
        p.drawEllipse(c, 15, 15);
      }
      const QColor col = iconColour(look);
      if (mic) {
        micGlyph(p, c, 24, col);
        if (!deviceOn) slash(p, c, 24, look == Look::Disabled ? col : art::color::red);
      } else {
        speakerGlyph(p, c, 26, col, deviceOn);
      }
    });
  }
}

void toolbarArt() {
  addToolbarIcon(QStringLiteral("mic_on"), true, true);
  addToolbarIcon(QStringLiteral("mic_off"), false, true);
  addToolbarIcon(QStringLiteral("speaker_on"), true, false);
  addToolbarIcon(QStringLiteral("speaker_off"), false, false);
}

// ---------------------------------------------------------------------------------------------
// Stage control. The two backgrounds form a capsule that slides out from behind the hand
// (centred on x = 85 of the control): the left half holds the microphone, the right the camera.

const QColor kCapsule(0xFF, 0xF7, 0xE0);
const QColor kCapsuleEdge(0xFF, 0xDE, 0x8A);

void capsuleHalf(QPainter &p, const QSize &s, bool left) {
  const qreal top = 8.5, h = 39, r = h / 2;
  QPainterPath path;
  if (left) {
    path.addRoundedRect(QRectF(2.5, top, s.width() + r, h), r, r);
  } else {
    path.addRoundedRect(QRectF(-r, top, s.width() - 3.5 + r, h), r, r);
  }
  p.setPen(QPen(kCapsuleEdge, 1));
  p.setBrush(kCapsule);
  p.drawPath(path);
}

void addSmallIcon(const QString &base, const QColor &col, bool mic) {
  for (Look look : {Look::Normal, Look::Hover, Look::Disabled}) {
    art::addImage(base + suffix(look), {28, 28}, [=](QPainter &p, const QSize &) {
      const QPointF c(14, 14);
      QColor fill = look == Look::Disabled ? gray : col;
      if (look == Look::Hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(fill.red(), fill.green(), fill.blue(), 40));
        p.drawEllipse(c, 13.5, 13.5);
        fill = fill.darker(115);
      }
      if (mic) {
        micGlyph(p, c, 20, fill);
        if (look == Look::Disabled) slash(p, c, 20, grayDark);
      } else {
        cameraGlyph(p, c, 20, fill);
      }
    });
  }
}

void handDisc(QPainter &p, const QColor &fill, const QColor &glyph) {
  const QPointF c(22, 22);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 28));
  p.drawEllipse(c + QPointF(0, 1), 21.5, 21.5);
  p.setBrush(white);
  p.drawEllipse(c, 21, 21);
  QRadialGradient g(c + QPointF(-6, -8), 30);
  g.setColorAt(0, fill.lighter(112));
  g.setColorAt(1, fill);
  p.setBrush(g);
  p.drawEllipse(c, 18.5, 18.5);
  handGlyph(p, c, 24, glyph);
}

// Frame n of the 50-frame ring that runs round the hand while a raised hand is locked.
void ringFrame(QPainter &p, int n) {
  const QRectF r(3.5, 3.5, 37, 37);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(255, 255, 255, 200), 3.5));
  p.drawEllipse(r);
  if (n == 0) return;
  const int span = -int(360.0 * 16 * n / 50);
  p.setPen(QPen(yellowDark, 3.5, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(r, 90 * 16, span);
  const qreal a = qDegreesToRadians(90.0 - 360.0 * n / 50);
  p.setPen(Qt::NoPen);
  p.setBrush(white);
  p.drawEllipse(QPointF(22 + 18.5 * qCos(a), 22 - 18.5 * qSin(a)), 1.4, 1.4);
}

void superButtonArt() {
  art::addImage(QStringLiteral("super_button_background_left.png"), {85, 56},
                [](QPainter &p, const QSize &s) { capsuleHalf(p, s, true); });
  art::addImage(QStringLiteral("super_button_background_right.png"), {85, 56},
                [](QPainter &p, const QSize &s) { capsuleHalf(p, s, false); });
  art::addImage(QStringLiteral("hand.png"), {44, 44},
                [](QPainter &p, const QSize &) { handDisc(p, yellow, white); });
  art::addImage(QStringLiteral("hand_disabled.png"), {44, 44},
                [](QPainter &p, const QSize &) { handDisc(p, gray, QColor(0xF2, 0xF3, 0xF5)); });
  for (int n = 0; n < 50; ++n) {
    art::addImage(QStringLiteral("circle_%1.png").arg(n), {44, 44},
                  [n](QPainter &p, const QSize &) { ringFrame(p, n); });
  }
  addSmallIcon(QStringLiteral("super_mic"), art::color::green, true);
  addSmallIcon(QStringLiteral("super_camera"), art::color::blue, false);
}

// ---------------------------------------------------------------------------------------------
// Speech bubble: a 28-pixel body with a tip underneath; 40 pixels high in all.

const QColor kBubble(0x2F, 0x8C, 0xFF);
constexpr qreal kBubbleBody = 28;

void bubbleBody(QPainter &p, const QRectF &r) {
  p.setPen(Qt::NoPen);
  p.setBrush(kBubble);
  p.drawRoundedRect(r, 12, 12);
}

void bubbleArt() {
  art::addImage(QStringLiteral("bubble_left.png"), {12, 40},
                [](QPainter &p, const QSize &) { bubbleBody(p, QRectF(0, 0, 40, kBubbleBody)); });
  art::addImage(QStringLiteral("bubble_right.png"), {12, 40},
                [](QPainter &p, const QSize &) { bubbleBody(p, QRectF(-28, 0, 40, kBubbleBody)); });
  art::addImage(QStringLiteral("bubble_body.png"), {4, 40}, [](QPainter &p, const QSize &) {
    p.fillRect(QRectF(0, 0, 4, kBubbleBody), kBubble);
  });
  art::addImage(QStringLiteral("bubble_center.png"), {20, 40}, [](QPainter &p, const QSize &) {
    p.fillRect(QRectF(0, 0, 20, kBubbleBody), kBubble);
    QPainterPath tip;
    tip.moveTo(3, kBubbleBody - 1);
    tip.lineTo(17, kBubbleBody - 1);
    tip.quadTo(11.5, kBubbleBody + 4, 10, kBubbleBody + 8);
    tip.quadTo(8.5, kBubbleBody + 4, 3, kBubbleBody - 1);
    p.setPen(Qt::NoPen);
    p.setBrush(kBubble);
    p.drawPath(tip);
  });
}

// ---------------------------------------------------------------------------------------------
// Red packet. The dialog is 500 x 500; the packet stands in its middle with the opening button
// showing through a pill-shaped window (the button lies underneath the packet's layers).

const QRectF kPacket(133, 80, 230, 342);
const QRectF kButtonPill(18, 16, 184, 50); // within the 220 x 83 button background
const QPointF kButtonOrigin(138, 320);
const QRectF kButtonWindow = QRectF(kButtonPill).translated(kButtonOrigin).adjusted(2, 2, -2, -2);

QPainterPath packetOutline(bool withWindow) {
  QPainterPath body;
  body.addRoundedRect(kPacket, 18, 18);
  if (withWindow) {
    QPainterPath hole;
    hole.addRoundedRect(kButtonWindow, kButtonWindow.height() / 2, kButtonWindow.height() / 2);
    body = body.subtracted(hole);
  }
  return body;
}

void packetBody(QPainter &p, bool withWindow) {
  const QPainterPath body = packetOutline(withWindow);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x6A, 0x08, 0x08, 60));
  p.drawPath(body.translated(0, 5));
  QLinearGradient g(kPacket.topLeft(), kPacket.bottomLeft());
  g.setColorAt(0, kPacketRed);
  g.setColorAt(1, kPacketRedDark);
  p.setBrush(g);
  p.drawPath(body);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0xFF, 0xD0, 0x50, 110), 1.5));
  p.drawRoundedRect(kPacket.adjusted(8, 8, -8, -8), 12, 12);
  p.setPen(QPen(QColor(0xFF, 0xD0, 0x50, 60), 1));
  p.drawRoundedRect(kPacket.adjusted(12, 12, -12, -12), 9, 9);
  if (withWindow) {
    p.setPen(QPen(QColor(0xFF, 0xE0, 0x70, 200), 2));
    const qreal r = kButtonWindow.height() / 2;
    p.drawRoundedRect(kButtonWindow, r, r);
  }
}

// The closed flap hangs over the packet's top; depth is the dip of its lower edge.
void closedFlap(QPainter &p, qreal edgeY, qreal dip) {
  QPainterPath flap;
  flap.addRoundedRect(QRectF(kPacket.left(), kPacket.top(), kPacket.width(), edgeY - kPacket.top() + 30), 18, 18);
  QPainterPath below;
  below.moveTo(kPacket.left() - 1, edgeY);
  below.quadTo(kPacket.center().x(), edgeY + 2 * dip, kPacket.right() + 1, edgeY);
  below.lineTo(kPacket.right() + 1, edgeY + 200);
  below.lineTo(kPacket.left() - 1, edgeY + 200);
  below.closeSubpath();
  flap = flap.subtracted(below);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x70, 0x08, 0x08, 70));
  p.drawPath(flap.translated(0, 4));
  QLinearGradient g(kPacket.topLeft(), QPointF(kPacket.left(), edgeY + dip));
  g.setColorAt(0, kPacketFlap.lighter(106));
  g.setColorAt(1, kPacketFlap.darker(108));
  p.setBrush(g);
  p.drawPath(flap);
}

// The flap folded up behind the packet, inside showing; apex is how high it reaches.
void openFlap(QPainter &p, qreal apex) {
  QPainterPath flap;
  const qreal top = kPacket.top() + 20;
  flap.moveTo(kPacket.left(), top);
  flap.quadTo(kPacket.center().x(), 2 * apex - top, kPacket.right(), top);
  flap.closeSubpath();
  QLinearGradient g(QPointF(0, apex), QPointF(0, top));
  g.setColorAt(0, QColor(0xB0, 0x1A, 0x16));
  g.setColorAt(1, QColor(0x8E, 0x10, 0x10));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawPath(flap);
}

void glow(QPainter &p, QPointF c, qreal r, int alpha) {
  QRadialGradient g(c, r);
  g.setColorAt(0, QColor(255, 250, 220, alpha));
  g.setColorAt(0.5, QColor(255, 220, 90, alpha / 2));
  g.setColorAt(1, QColor(255, 200, 40, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawEllipse(c, r, r);
}

void redPacketFrame(QPainter &p, int frame) {
  const qreal cx = kPacket.center().x();
  switch (frame) {
  case 1:
    packetBody(p, true);
    closedFlap(p, 185, 50);
    coin(p, QPointF(cx, 235), 40);
    break;
  case 2:
    packetBody(p, true);
    closedFlap(p, 150, 32);
    coin(p, QPointF(cx, 178), 41, 0.9);
    break;
  case 3:
    openFlap(p, 58);
    glow(p, QPointF(cx, 100), 90, 150);
    packetBody(p, true);
    coin(p, QPointF(cx, 108), 42, 0.8);
    break;
  default:
    openFlap(p, 36);
    glow(p, QPointF(cx, 70), 130, 230);
    coin(p, QPointF(cx - 58, 78), 20, 0.75);
    coin(p, QPointF(cx + 60, 70), 22, 0.8);
    coin(p, QPointF(cx, 56), 42);
    packetBody(p, false);
    break;
  }
}

void buttonBackground(QPainter &p) {
  const qreal r = kButtonPill.height() / 2;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x7A, 0x10, 0x00, 80));
  p.drawRoundedRect(kButtonPill.translated(0, 4), r, r);
  QLinearGradient g(kButtonPill.topLeft(), kButtonPill.bottomLeft());
  g.setColorAt(0, kGoldLight);
  g.setColorAt(0.5, yellow);
  g.setColorAt(1, yellowDark);
  p.setBrush(g);
  p.drawRoundedRect(kButtonPill, r, r);
  p.setBrush(QColor(255, 255, 255, 90));
  p.drawRoundedRect(kButtonPill.adjusted(10, 3, -10, -kButtonPill.height() / 2 - 2), r / 2, r / 2);
}

// Twelve soft golden beams turning about the dialog's centre; frame n is turned by n / 11 of
// the beams' spacing so that the eleven frames loop without a jump. The button's window is kept
// clear so the beams never tint the button.
void rotationFrame(QPainter &p, const QSize &s, int n) {
  const QPointF c(s.width() / 2.0, s.height() / 2.0);
  QPainterPath clip;
  clip.addRect(QRectF(QPointF(0, 0), QSizeF(s)));
  QPainterPath window;
  window.addRect(kButtonWindow.adjusted(-6, -6, 6, 6));
  p.setClipPath(clip.subtracted(window));
  QRadialGradient g(c, s.width() / 2.0);
  g.setColorAt(0, QColor(255, 236, 150, 0));
  g.setColorAt(0.3, QColor(255, 236, 150, 150));
  g.setColorAt(0.75, QColor(255, 214, 80, 70));
  g.setColorAt(1, QColor(255, 214, 80, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  const qreal step = 30.0, half = 7.0;
  for (int i = 0; i < 12; ++i) {
    const qreal a = qDegreesToRadians(i * step + n * step / 11);
    QPainterPath beam;
    beam.moveTo(c);
    beam.lineTo(c + 260 * QPointF(qCos(a - qDegreesToRadians(half)), qSin(a - qDegreesToRadians(half))));
    beam.lineTo(c + 260 * QPointF(qCos(a + qDegreesToRadians(half)), qSin(a + qDegreesToRadians(half))));
    beam.closeSubpath();
    p.drawPath(beam);
  }
}

// ---------------------------------------------------------------------------------------------
// Sparkles: an animated GIF (the only format the dialog's movie label reads with a timeline).
// The frames are drawn in gold-to-white, then written with a palette along that ramp and one
// transparent index.

constexpr int kStarFrames = 10;

struct Sparkle {
  qreal x, y, size, phase;
};

const Sparkle kSparkles[] = {
    {70, 110, 22, 0.0},  {420, 90, 26, 0.35}, {95, 300, 16, 0.6},  {440, 260, 20, 0.15},
    {60, 420, 18, 0.8},  {410, 420, 24, 0.5}, {200, 40, 14, 0.7},  {320, 30, 18, 0.25},
    {115, 200, 12, 0.9}, {395, 175, 14, 0.4}, {250, 470, 16, 0.05}, {470, 360, 12, 0.65},
    {30, 250, 12, 0.3},  {160, 460, 12, 0.55}, {345, 465, 10, 0.85},
};

QColor rampColour(int i) { // i in 0..253: deep gold to white
  const qreal t = i / 253.0;
  const int r = 255, g = int(190 + 65 * t), b = int(255 * t);
  return QColor(r, g, b);
}

void sparkle(QPainter &p, QPointF c, qreal size) {
  QPainterPath star;
  const qreal w = size * 0.16;
  star.moveTo(c.x(), c.y() - size);
  star.quadTo(c.x() + w * 0.4, c.y() - w * 0.4, c.x() + size, c.y());
  star.quadTo(c.x() + w * 0.4, c.y() + w * 0.4, c.x(), c.y() + size);
  star.quadTo(c.x() - w * 0.4, c.y() + w * 0.4, c.x() - size, c.y());
  star.quadTo(c.x() - w * 0.4, c.y() - w * 0.4, c.x(), c.y() - size);
  p.setPen(Qt::NoPen);
  p.setBrush(rampColour(60));
  p.drawPath(star);
  p.setBrush(rampColour(253));
  p.drawEllipse(c, size * 0.18, size * 0.18);
}

QImage sparkleFrame(int n) {
  QImage img(500, 500, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  for (const Sparkle &s : kSparkles) {
    const qreal t = std::fmod(n / qreal(kStarFrames) + s.phase, 1.0);
    const qreal scale = qMax(0.0, qSin(t * 2 * M_PI));
    if (scale > 0.12) sparkle(p, QPointF(s.x, s.y), s.size * scale);
  }
  return img;
}

QByteArray paletteIndices(const QImage &img) {
  QByteArray out;
  out.reserve(img.width() * img.height());
  for (int y = 0; y < img.height(); ++y) {
    const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      if (qAlpha(line[x]) < 110) {
        out.append(char(0));
      } else {
        out.append(char(1 + qBound(0, qRound(qBlue(line[x]) / 255.0 * 253), 253)));
      }
    }
  }
  return out;
}

// GIF variable-width LZW, 8-bit minimum code size, packed into 255-byte sub-blocks.
class LzwWriter {
public:
  QByteArray encode(const QByteArray &indices) {
    resetTable();
    put(kClear);
    int prefix = quint8(indices[0]);
    for (int i = 1; i < indices.size(); ++i) {
      const int k = quint8(indices[i]);
      const auto found = table_.find(prefix << 8 | k);
      if (found != table_.end()) {
        prefix = found->second;
        continue;
      }
      put(prefix);
      table_[prefix << 8 | k] = ++maxCode_;
      if (maxCode_ >= (1 << codeSize_)) ++codeSize_;
      if (maxCode_ == 4095) {
        put(kClear);
        resetTable();
      }
      prefix = k;
    }
    put(prefix);
    put(kClear + 1);
    if (bitCount_ > 0) bytes_.append(char(bits_ & 0xFF));
    return subBlocks();
  }

private:
  static constexpr int kClear = 256;

  void resetTable() {
    table_.clear();
    codeSize_ = 9;
    maxCode_ = kClear + 1;
  }
  void put(int code) {
    bits_ |= quint32(code) << bitCount_;
    bitCount_ += codeSize_;
    while (bitCount_ >= 8) {
      bytes_.append(char(bits_ & 0xFF));
      bits_ >>= 8;
      bitCount_ -= 8;
    }
  }
  QByteArray subBlocks() const {
    QByteArray out;
    for (int at = 0; at < bytes_.size(); at += 255) {
      const QByteArray chunk = bytes_.mid(at, 255);
      out.append(char(chunk.size()));
      out.append(chunk);
    }
    out.append(char(0));
    return out;
  }

  std::unordered_map<int, int> table_;
  int codeSize_ = 9;
  int maxCode_ = kClear + 1;
  quint32 bits_ = 0;
  int bitCount_ = 0;
  QByteArray bytes_;
};

void put16(QByteArray &b, int v) {
  b.append(char(v & 0xFF));
  b.append(char((v >> 8) & 0xFF));
}

QByteArray sparkleGif() {
  QByteArray gif("GIF89a");
  put16(gif, 500);
  put16(gif, 500);
  gif.append(char(0xF7)); // global colour table of 256 entries
  gif.append(char(0));
  gif.append(char(0));
  gif.append(3, char(0)); // index 0: transparent
  for (int i = 0; i < 255; ++i) {
    const QColor c = rampColour(qMin(i, 253));
    gif.append(char(c.red())).append(char(c.green())).append(char(c.blue()));
  }
  gif.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
  put16(gif, 0); // loop for ever
  gif.append(char(0));
  for (int n = 0; n < kStarFrames; ++n) {
    gif.append("\x21\xF9\x04", 3);
    gif.append(char((2 << 2) | 1)); // restore to background, transparent index given
    put16(gif, 12);                 // 120 ms per frame
    gif.append(char(0));
    gif.append(char(0));
    gif.append(char(0x2C));
    put16(gif, 0);
    put16(gif, 0);
    put16(gif, 500);
    put16(gif, 500);
    gif.append(char(0));
    gif.append(char(8));
    gif.append(LzwWriter().encode(paletteIndices(sparkleFrame(n))));
  }
  gif.append(char(0x3B));
  return gif;
}

// ---------------------------------------------------------------------------------------------
// "coin.wav": two bright bell-like strikes, as of a coin dropping onto a pile.

double coinSample(double t) {
  auto strike = [](double t, double f) {
    if (t < 0) return 0.0;
    const double env = std::exp(-t * 9.0) * qMin(1.0, t * 400.0);
    return env * (std::sin(2 * M_PI * f * t) + 0.45 * std::sin(2 * M_PI * f * 2.76 * t) +
                  0.2 * std::sin(2 * M_PI * f * 5.4 * t));
  };
  return 0.45 * (strike(t, 1976.0) + 0.9 * strike(t - 0.09, 2637.0));
}

void redPacketArt() {
  for (int f = 1; f <= 4; ++f) {
    art::addImage(QStringLiteral("red_packet_0%1.png").arg(f), {500, 500},
                  [f](QPainter &p, const QSize &) { redPacketFrame(p, f); });
  }
  art::addImage(QStringLiteral("red_packet_button_background.png"), {220, 83},
                [](QPainter &p, const QSize &) { buttonBackground(p); });
  for (int n = 0; n < 11; ++n) {
    art::addImage(QStringLiteral("rotation_%1.png").arg(n), {500, 500},
                  [n](QPainter &p, const QSize &s) { rotationFrame(p, s, n); });
  }
  art::addFile(QStringLiteral("flash_star.gif"), [] { return sparkleGif(); });
  art::addFile(QStringLiteral("coin.wav"), [] { return art::wav(0.7, coinSample); });
}

} // namespace

ART_REGISTER(classroom_widgets) {
  toolbarArt();
  superButtonArt();
  bubbleArt();
  redPacketArt();
}

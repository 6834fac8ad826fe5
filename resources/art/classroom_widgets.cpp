// Artwork of the classroom widgets: the live toolbar's microphone and speaker, the stage
// control (backgrounds, hand, hand-raise ring, small microphone and camera) and the speech
// bubble. The reward's red packet is in reward.cpp.

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

} // namespace

ART_REGISTER(classroom_widgets) {
  toolbarArt();
  superButtonArt();
  bubbleArt();
}

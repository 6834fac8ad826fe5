// Artwork of the portal shell: the title bar's logo, navigation and window buttons, the
// technical-support and settings buttons and the network indicator. Glyphs are dark on the
// yellow bar, drawn with round pens like the refresh button of the common widgets.

#include "art.h"

#include <QPainterPath>
#include <QtMath>
#include <cmath>
#include <functional>

namespace {

const QColor kGlyph(0x33, 0x33, 0x33);
const QColor kInk(0x25, 0x1B, 0x18);

enum class Look { Normal, Hover, Disabled };
const Look kLooks[] = {Look::Normal, Look::Hover, Look::Disabled};

const char *suffix(Look look) {
  switch (look) {
  case Look::Hover: return "_hover.png";
  case Look::Disabled: return "_disabled.png";
  case Look::Normal: break;
  }
  return ".png";
}

QColor withAlpha(QColor c, qreal a) {
  c.setAlphaF(a);
  return c;
}

QPen roundPen(const QColor &c, qreal w) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

QColor glyphColour(Look look) {
  if (look == Look::Disabled) return withAlpha(kGlyph, 0.3);
  return look == Look::Hover ? Qt::black : kGlyph;
}

// Hovered buttons sit on a faint round plate, as the refresh button does.
void plate(QPainter &p, const QSize &s, Look look, const QColor &fill = withAlpha(Qt::black, 0.08)) {
  if (look != Look::Hover) return;
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawEllipse(QRectF(0.5, 0.5, s.width() - 1.0, s.height() - 1.0));
}

using Glyph = std::function<void(QPainter &p, const QSize &s, const QColor &c, qreal unit)>;

// Registers "<name>.png", "<name>_hover.png" and "<name>_disabled.png" for one glyph.
void button(const QString &name, const QSize &size, const Glyph &glyph) {
  for (Look look : kLooks)
    art::addImage(name + QLatin1String(suffix(look)), size, [look, glyph](QPainter &p, const QSize &s) {
      plate(p, s, look);
      glyph(p, s, glyphColour(look), s.width() / 24.0);
    });
}

void chevron(QPainter &p, const QSize &s, const QColor &c, qreal u, int direction) {
  const qreal cx = s.width() / 2.0 + direction * 1.2 * u, cy = s.height() / 2.0;
  p.setPen(roundPen(c, 2.2 * u));
  p.setBrush(Qt::NoBrush);
  QPainterPath path;
  path.moveTo(cx - direction * 3.5 * u, cy - 7 * u);
  path.lineTo(cx + direction * 3.5 * u, cy);
  path.lineTo(cx - direction * 3.5 * u, cy + 7 * u);
  p.drawPath(path);
}

void headset(QPainter &p, const QSize &s, const QColor &c, qreal u) {
  const QPointF m(s.width() / 2.0, s.height() / 2.0 + 1 * u);
  p.setBrush(Qt::NoBrush);
  p.setPen(roundPen(c, 1.9 * u));
  p.drawArc(QRectF(m.x() - 7 * u, m.y() - 8 * u, 14 * u, 14 * u), 0, 180 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawRoundedRect(QRectF(m.x() - 8.6 * u, m.y() - 1.5 * u, 4 * u, 7 * u), 1.6 * u, 1.6 * u);
  p.drawRoundedRect(QRectF(m.x() + 4.6 * u, m.y() - 1.5 * u, 4 * u, 7 * u), 1.6 * u, 1.6 * u);
  p.setPen(roundPen(c, 1.4 * u));
  p.setBrush(Qt::NoBrush);
  QPainterPath mic;
  mic.moveTo(m.x() + 6.6 * u, m.y() + 5.5 * u);
  mic.quadTo(m.x() + 6 * u, m.y() + 8.5 * u, m.x() + 1.5 * u, m.y() + 8.5 * u);
  p.drawPath(mic);
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawEllipse(QPointF(m.x() + 0.6 * u, m.y() + 8.5 * u), 1.4 * u, 1.2 * u);
}

void gear(QPainter &p, const QSize &s, const QColor &c, qreal u) {
  const QPointF m(s.width() / 2.0, s.height() / 2.0);
  const int teeth = 8;
  QPainterPath outline;
  for (int i = 0; i < teeth * 2; ++i) {
    const qreal a0 = qDegreesToRadians(i * 180.0 / teeth - 9.0);
    const qreal a1 = qDegreesToRadians(i * 180.0 / teeth + 9.0);
    const qreal r = (i % 2 == 0) ? 8.3 * u : 6.4 * u;
    const QPointF p0(m.x() + r * std::cos(a0), m.y() + r * std::sin(a0));
    const QPointF p1(m.x() + r * std::cos(a1), m.y() + r * std::sin(a1));
    if (i == 0) outline.moveTo(p0);
    else outline.lineTo(p0);
    outline.lineTo(p1);
  }
  outline.closeSubpath();
  QPainterPath hole;
  hole.addEllipse(m, 2.8 * u, 2.8 * u);
  p.setPen(roundPen(c, 0.8 * u));
  p.setBrush(c);
  p.drawPath(outline.subtracted(hole));
}

void minimise(QPainter &p, const QSize &s, const QColor &c, qreal u) {
  p.setPen(roundPen(c, 2 * u));
  const qreal y = s.height() / 2.0 + 1 * u;
  p.drawLine(QPointF(s.width() / 2.0 - 6 * u, y), QPointF(s.width() / 2.0 + 6 * u, y));
}

void maximise(QPainter &p, const QSize &s, const QColor &c, qreal u) {
  p.setPen(roundPen(c, 1.8 * u));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(s.width() / 2.0 - 6 * u, s.height() / 2.0 - 6 * u, 12 * u, 12 * u),
                    1.5 * u, 1.5 * u);
}

void restore(QPainter &p, const QSize &s, const QColor &c, qreal u) {
  const qreal x = s.width() / 2.0, y = s.height() / 2.0;
  p.setPen(roundPen(c, 1.7 * u));
  p.setBrush(Qt::NoBrush);
  QPainterPath back;
  back.moveTo(x - 3 * u, y - 4.5 * u);
  back.lineTo(x - 3 * u, y - 7 * u);
  back.lineTo(x + 7 * u, y - 7 * u);
  back.lineTo(x + 7 * u, y + 3 * u);
  back.lineTo(x + 4.5 * u, y + 3 * u);
  p.drawPath(back);
  p.drawRoundedRect(QRectF(x - 7 * u, y - 3.5 * u, 10.5 * u, 10.5 * u), 1.2 * u, 1.2 * u);
}

void cross(QPainter &p, const QSize &s, const QColor &c, qreal u) {
  const qreal x = s.width() / 2.0, y = s.height() / 2.0, r = 5.5 * u;
  p.setPen(roundPen(c, 2 * u));
  p.drawLine(QPointF(x - r, y - r), QPointF(x + r, y + r));
  p.drawLine(QPointF(x - r, y + r), QPointF(x + r, y - r));
}

// The close button turns red under the pointer, as window close buttons do.
void closeButton() {
  for (Look look : kLooks)
    art::addImage(QStringLiteral("close") + QLatin1String(suffix(look)), {24, 24},
                  [look](QPainter &p, const QSize &s) {
                    plate(p, s, look, art::color::red);
                    cross(p, s, look == Look::Hover ? art::color::white : glyphColour(look), s.width() / 24.0);
                  });
}

// Four rising bars; the lit ones in the indicator's colour, the rest faint.
void signalBars(QPainter &p, const QSize &s, const QColor &c, int lit) {
  const qreal u = s.width() / 20.0;
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 4; ++i) {
    const qreal h = (5 + i * 4) * u;
    const QRectF bar((2 + i * 4.4) * u, s.height() - 2 * u - h, 3 * u, h);
    p.setBrush(i < lit ? c : withAlpha(art::color::grayDark, 0.35));
    p.drawRoundedRect(bar, 0.9 * u, 0.9 * u);
  }
}

// The logo mark of the application icon followed by the product name.
void logoText(QPainter &p, const QSize &s) {
  const qreal h = s.height();
  const QRectF mark(1, 1, h - 2, h - 2);
  art::roundedButton(p, mark, kInk, mark.width() * 0.24);
  art::centeredText(p, mark, QStringLiteral("T"), QColor(0xFF, 0xDC, 0x00), int(h * 0.66), true);
  QFont f(QStringLiteral("Noto Sans"));
  f.setPixelSize(int(h * 0.6));
  f.setBold(true);
  f.setLetterSpacing(QFont::PercentageSpacing, 102);
  p.setFont(f);
  p.setPen(kInk);
  p.drawText(QRectF(h + 6, 0, s.width() - h - 6, h), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Tarnwick"));
}

} // namespace

ART_REGISTER(shell) {
  art::addImage(QStringLiteral("logo_text.png"), {124, 28}, logoText);
  button(QStringLiteral("back"), {24, 24},
         [](QPainter &p, const QSize &s, const QColor &c, qreal u) { chevron(p, s, c, u, -1); });
  button(QStringLiteral("forward"), {24, 24},
         [](QPainter &p, const QSize &s, const QColor &c, qreal u) { chevron(p, s, c, u, 1); });
  button(QStringLiteral("service"), {24, 24}, headset);
  button(QStringLiteral("setting"), {24, 24}, gear);
  button(QStringLiteral("min"), {24, 24}, minimise);
  button(QStringLiteral("max"), {24, 24}, maximise);
  button(QStringLiteral("restore"), {24, 24}, restore);
  closeButton();
  art::addImage(QStringLiteral("net_green.png"), {20, 20},
                [](QPainter &p, const QSize &s) { signalBars(p, s, art::color::green, 4); });
  art::addImage(QStringLiteral("net_red.png"), {20, 20},
                [](QPainter &p, const QSize &s) { signalBars(p, s, art::color::red, 1); });
}

// Artwork of the classroom window: the logo of the waiting area, the teacher-video toggle,
// the idle pictures of the teacher video and the teacher's screen, and the reward sound.

#include "art.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QtMath>
#include <cmath>

namespace {

const QColor kInk(0x25, 0x1B, 0x18);
const QColor kMarkYellow(0xFF, 0xDC, 0x00);
const QColor kIdleGlyph(0x4A, 0x4E, 0x57);
const QColor kIdleGlyphLight(0x5C, 0x61, 0x6B);
const QColor kToggle(0xE6, 0xE8, 0xEB);

// The product mark over its name, as on the title bar, for the waiting area.
void logo(QPainter &p, const QSize &s) {
  const qreal side = 62;
  const QRectF mark((s.width() - side) / 2.0, 2, side, side);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 28));
  p.drawRoundedRect(mark.translated(0, 2), side * 0.24, side * 0.24);
  art::roundedButton(p, mark, kInk, side * 0.24);
  art::centeredText(p, mark, QStringLiteral("T"), kMarkYellow, 42, true);
  QFont f(QStringLiteral("Noto Sans"));
  f.setPixelSize(19);
  f.setBold(true);
  p.setFont(f);
  p.setPen(kInk);
  p.drawText(QRectF(0, 68, s.width(), 27), Qt::AlignCenter, QStringLiteral("Tarnwick"));
}

// A chevron pointing up (dir -1) or down (dir 1) in the middle of the square.
void chevron(QPainter &p, const QSize &s, int dir) {
  const qreal c = s.width() / 2.0;
  const qreal w = 6, h = 3.5 * dir;
  p.setPen(QPen(kToggle, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  QPainterPath path;
  path.moveTo(c - w, c - h);
  path.lineTo(c, c + h);
  path.lineTo(c + w, c - h);
  p.drawPath(path);
}

void darkBackdrop(QPainter &p, const QSize &s) {
  QLinearGradient g(0, 0, 0, s.height());
  g.setColorAt(0, QColor(0x26, 0x28, 0x2D));
  g.setColorAt(1, QColor(0x1C, 0x1D, 0x21));
  p.fillRect(QRect(QPoint(0, 0), s), g);
}

// Head and shoulders of a person, centred at (cx, cy) with the given height.
void person(QPainter &p, qreal cx, qreal cy, qreal h) {
  p.setPen(Qt::NoPen);
  p.setBrush(kIdleGlyphLight);
  const qreal head = h * 0.36;
  p.drawEllipse(QPointF(cx, cy - h * 0.22), head / 2, head / 2);
  QPainterPath body;
  const qreal top = cy + h * 0.02, bottom = cy + h * 0.42, half = h * 0.38;
  body.moveTo(cx - half, bottom);
  body.cubicTo(cx - half, top, cx + half, top, cx + half, bottom);
  body.closeSubpath();
  p.setBrush(kIdleGlyph);
  p.drawPath(body);
}

void teacherVideoIdle(QPainter &p, const QSize &s) {
  darkBackdrop(p, s);
  person(p, s.width() / 2.0, s.height() / 2.0 - 14, 76);
  art::centeredText(p, QRectF(0, s.height() - 52, s.width(), 24), QStringLiteral("老师的视频将在这里显示"),
                    QColor(0x8A, 0x90, 0x9A), 12);
}

// A monitor with a pointer on it: the teacher's screen has not arrived yet.
void screenShareIdle(QPainter &p, const QSize &s) {
  const QRectF screen(14, 8, s.width() - 28, s.height() - 38);
  p.setPen(QPen(kIdleGlyphLight, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(0x33, 0x35, 0x3B));
  p.drawRoundedRect(screen, 8, 8);
  p.setPen(QPen(kIdleGlyphLight, 5, Qt::SolidLine, Qt::RoundCap));
  const qreal cx = s.width() / 2.0;
  p.drawLine(QPointF(cx, screen.bottom() + 3), QPointF(cx, s.height() - 12));
  p.drawLine(QPointF(cx - 26, s.height() - 8), QPointF(cx + 26, s.height() - 8));
  QPainterPath arrow;
  const QPointF a(cx - 8, screen.center().y() - 16);
  arrow.moveTo(a);
  arrow.lineTo(a + QPointF(0, 30));
  arrow.lineTo(a + QPointF(8, 22));
  arrow.lineTo(a + QPointF(14, 34));
  arrow.lineTo(a + QPointF(19, 31));
  arrow.lineTo(a + QPointF(13, 20));
  arrow.lineTo(a + QPointF(24, 20));
  arrow.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(art::color::yellow);
  p.drawPath(arrow);
}

// "reward.wav": a bright rising arpeggio with a shimmer on top, at 44.1 kHz like every sound the
// speaker test plays.
double rewardSample(double t) {
  const double notes[] = {1046.5, 1318.5, 1568.0, 2093.0};
  double v = 0;
  for (int i = 0; i < 4; ++i) {
    const double u = t - i * 0.09;
    if (u < 0) continue;
    const double env = std::exp(-u * (i == 3 ? 3.2 : 7.0)) * qMin(1.0, u * 300.0);
    const double f = notes[i];
    v += env * (std::sin(2 * M_PI * f * u) + 0.35 * std::sin(2 * M_PI * 2 * f * u) +
                0.12 * std::sin(2 * M_PI * 3.01 * f * u));
  }
  return 0.3 * v;
}

} // namespace

ART_REGISTER(classroom) {
  art::addImage(QStringLiteral("logo_110x97.png"), {110, 97}, logo);
  art::addImage(QStringLiteral("arrow_up_32x32.png"), {32, 32},
                [](QPainter &p, const QSize &s) { chevron(p, s, -1); });
  art::addImage(QStringLiteral("arrow_down_32x32.png"), {32, 32},
                [](QPainter &p, const QSize &s) { chevron(p, s, 1); });
  art::addImage(QStringLiteral("teacher_video_idle.png"), {250, 188}, teacherVideoIdle);
  art::addImage(QStringLiteral("screen_share_idle.png"), {150, 124}, screenShareIdle);
  art::addFile(QStringLiteral("reward.wav"), [] { return art::wav(1.2, rewardSample, 44100); });
}

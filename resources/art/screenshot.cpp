// Artwork of the screenshot tool: the control bar's tool icons (control_NN.jpg, on the bar's
// grey) and the tool's own pointer, a cross with a small frame below it.

#include "art.h"

#include <QPainterPath>

namespace {

const QColor kBar(0xEA, 0xEC, 0xF0); // the control bar's background; JPEG has no alpha
const QColor kGlyph(0x4A, 0x4F, 0x57);
const QColor kChosen(0x2F, 0x8C, 0xFF);
const QColor kFinish(0x3C, 0xC0, 0x6E);
constexpr int kIcon = 25;

QPen glyphPen(const QColor &c) { return QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void rectangleGlyph(QPainter &p, const QColor &c) {
  p.setPen(glyphPen(c));
  p.drawRect(QRectF(6, 7, 13, 11));
}

void ellipseGlyph(QPainter &p, const QColor &c) {
  p.setPen(glyphPen(c));
  p.drawEllipse(QRectF(5.5, 7, 14, 11));
}

void arrowGlyph(QPainter &p, const QColor &c) {
  p.setPen(glyphPen(c));
  p.drawLine(QPointF(6, 19), QPointF(18, 7));
  QPainterPath head;
  head.moveTo(19, 6);
  head.lineTo(12.5, 8);
  head.lineTo(17, 12.5);
  head.closeSubpath();
  p.setBrush(c);
  p.drawPath(head);
}

void penGlyph(QPainter &p, const QColor &c) {
  p.setPen(glyphPen(c));
  QPainterPath line;
  line.moveTo(5, 17);
  line.cubicTo(8, 8, 12, 20, 15, 12);
  line.cubicTo(17, 7, 19, 9, 20, 7);
  p.drawPath(line);
}

void cancelGlyph(QPainter &p, const QColor &c) {
  p.setPen(glyphPen(c));
  p.drawLine(QPointF(7.5, 7.5), QPointF(17.5, 17.5));
  p.drawLine(QPointF(17.5, 7.5), QPointF(7.5, 17.5));
}

void finishGlyph(QPainter &p, const QColor &c) {
  p.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(QPolygonF({QPointF(6, 13), QPointF(10.5, 17.5), QPointF(19, 8)}));
}

using Glyph = void (*)(QPainter &, const QColor &);

void addIcon(int number, Glyph glyph, const QColor &c, bool chosen) {
  const QString name = QStringLiteral("oescreenshot/control_%1.jpg").arg(number, 2, 10, QLatin1Char('0'));
  art::addImage(name, QSize(kIcon, kIcon), [glyph, c, chosen](QPainter &p, const QSize &s) {
    p.fillRect(QRect(QPoint(0, 0), s), kBar);
    if (chosen) art::roundedButton(p, QRectF(2, 2, s.width() - 4, s.height() - 4), QColor(0xD6, 0xE6, 0xFA), 3);
    glyph(p, c);
  });
}

} // namespace

ART_REGISTER(screenshot) {
  // 01–06: the six buttons; 07–10: the four drawing tools while chosen; 11–13: hover looks.
  const Glyph tools[] = {rectangleGlyph, ellipseGlyph, arrowGlyph, penGlyph};
  for (int i = 0; i < 4; ++i) {
    addIcon(1 + i, tools[i], kGlyph, false);
    addIcon(7 + i, tools[i], kChosen, true);
  }
  addIcon(5, cancelGlyph, kGlyph, false);
  addIcon(6, finishGlyph, kFinish, false);
  addIcon(11, cancelGlyph, art::color::red, true);
  addIcon(12, finishGlyph, kFinish, true);
  addIcon(13, arrowGlyph, art::color::red, true);

  // The pointer: a cross whose centre is the hot spot (15, 23).
  art::addImage(QStringLiteral("oescreenshot/pointer.png"), QSize(32, 32), [](QPainter &p, const QSize &) {
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPoint hot(15, 23);
    for (const auto &[pen, grow] : {std::pair{QPen(Qt::white, 3), 1}, std::pair{QPen(QColor(0x00, 0xAE, 0xFF), 1), 0}}) {
      p.setPen(pen);
      p.drawLine(hot.x() - 8 - grow, hot.y(), hot.x() - 2, hot.y());
      p.drawLine(hot.x() + 2, hot.y(), hot.x() + 8 + grow, hot.y());
      p.drawLine(hot.x(), hot.y() - 8 - grow, hot.x(), hot.y() - 2);
      p.drawLine(hot.x(), hot.y() + 2, hot.x(), hot.y() + 8 + grow);
    }
  });
}

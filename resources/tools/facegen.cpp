// Draws the chat's emoji faces, image001.png … image139.png, into the folder given. Each face
// is a combination of skin colour, eyes, mouth and an extra, chosen from its number, so all
// 139 differ and the set is the same on every build.

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

constexpr int kFaceCount = 139;
constexpr int kSide = 28;
constexpr int kEyeKinds = 5;
constexpr int kMouthKinds = 7;
constexpr int kExtraKinds = 4;

const QColor kInk(0x4A, 0x2C, 0x12);

QPen ink(qreal w) { return QPen(kInk, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void eyes(QPainter &p, int kind) {
  const QPointF left(9.5, 11.5), right(18.5, 11.5);
  p.setPen(ink(1.6));
  p.setBrush(kInk);
  for (QPointF c : {left, right}) {
    switch (kind) {
    case 0: p.drawEllipse(c, 1.6, 2.0); break;                                       // dots
    case 1: p.drawArc(QRectF(c.x() - 2.5, c.y() - 1, 5, 4), 0, 180 * 16); break;    // smiling
    case 2: p.drawLine(c - QPointF(2.2, 0), c + QPointF(2.2, 0)); break;              // closed
    case 3: p.drawLine(c + QPointF(-2, -2), c + QPointF(2, 2));                       // crossed
            p.drawLine(c + QPointF(-2, 2), c + QPointF(2, -2)); break;
    default:                                                                          // wide
      p.setBrush(Qt::white);
      p.drawEllipse(c, 2.6, 2.8);
      p.setBrush(kInk);
      p.drawEllipse(c + QPointF(0.4, 0.4), 1.1, 1.1);
    }
  }
}

void mouth(QPainter &p, int kind) {
  p.setPen(ink(1.6));
  p.setBrush(Qt::NoBrush);
  switch (kind) {
  case 0: p.drawArc(QRectF(8, 12, 12, 8), 200 * 16, 140 * 16); break;               // smile
  case 1: p.setBrush(QColor(0xB0, 0x30, 0x30));                                       // laugh
          p.drawChord(QRectF(8, 13, 12, 9), 180 * 16, 180 * 16); break;
  case 2: p.drawLine(QPointF(10, 19.5), QPointF(18, 19.5)); break;                    // flat
  case 3: p.drawArc(QRectF(9, 18, 10, 6), 20 * 16, 140 * 16); break;                  // frown
  case 4: p.drawEllipse(QPointF(14, 19.5), 2.2, 2.6); break;                          // surprised
  case 5: {                                                                            // wavy
    QPainterPath w(QPointF(9, 19.5));
    w.cubicTo(QPointF(11, 17.5), QPointF(12, 21.5), QPointF(14, 19.5));
    w.cubicTo(QPointF(16, 17.5), QPointF(17, 21.5), QPointF(19, 19.5));
    p.drawPath(w);
    break;
  }
  default: p.drawArc(QRectF(10, 14, 8, 6), 200 * 16, 140 * 16);                      // tongue
           p.setPen(Qt::NoPen);
           p.setBrush(QColor(0xE8, 0x5A, 0x6A));
           p.drawEllipse(QPointF(15, 20.5), 1.8, 1.6);
  }
}

void extra(QPainter &p, int kind) {
  p.setPen(Qt::NoPen);
  switch (kind) {
  case 1: p.setBrush(QColor(255, 110, 110, 120));                                    // blush
          p.drawEllipse(QPointF(6.5, 16), 2.4, 1.5);
          p.drawEllipse(QPointF(21.5, 16), 2.4, 1.5); break;
  case 2: p.setBrush(QColor(0x5A, 0xB4, 0xF0));                                       // tear
          p.drawEllipse(QPointF(20, 16), 1.3, 2.0); break;
  case 3: p.setPen(ink(1.2));                                                         // brows
          p.drawLine(QPointF(7, 7.5), QPointF(11.5, 6.5));
          p.drawLine(QPointF(16.5, 6.5), QPointF(21, 7.5)); break;
  default: break;
  }
}

QImage face(int n) {
  const int k = n - 1;
  QImage img(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  // Skin hue drifts with the number through warm yellows and oranges.
  const QColor skin = QColor::fromHsv(38 + (k * 7) % 20, 200, 255);
  QRadialGradient g(QPointF(11, 9), 16);
  g.setColorAt(0, skin.lighter(125));
  g.setColorAt(1, skin.darker(108));
  p.setPen(QPen(skin.darker(140), 1));
  p.setBrush(g);
  p.drawEllipse(QRectF(1.5, 1.5, kSide - 3, kSide - 3));
  eyes(p, k % kEyeKinds);
  mouth(p, (k / kEyeKinds) % kMouthKinds);
  extra(p, (k / (kEyeKinds * kMouthKinds)) % kExtraKinds);
  return img;
}

} // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: facegen <folder>\n");
    return 2;
  }
  const QString dir = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(dir);
  for (int n = 1; n <= kFaceCount; ++n) {
    const QString path = QStringLiteral("%1/image%2.png").arg(dir, QStringLiteral("00%1").arg(n).right(3));
    if (!face(n).save(path)) {
      std::fprintf(stderr, "facegen: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}

// Artwork of the reward: the red packet with its light, sparkles, frames and coin sound.

#include "art.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <cmath>
#include <unordered_map>

namespace {

using art::color::white;
using art::color::yellow;
using art::color::yellowDark;

const QColor kPacketRed(0xE8, 0x3A, 0x2E);
const QColor kPacketRedDark(0xC4, 0x22, 0x1C);
const QColor kPacketFlap(0xF2, 0x55, 0x42);
const QColor kGoldLight(0xFF, 0xE8, 0x8A);

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

ART_REGISTER(reward) { redPacketArt(); }

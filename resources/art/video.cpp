// Overlay of the video views: the translucent name bar and the microphone icons drawn over
// every picture.

#include "art.h"

#include <QLinearGradient>
#include <QPainterPath>

namespace {

// A microphone capsule on a stand, centred in a 16 × 16 square.
void microphone(QPainter &p, const QColor &c) {
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawRoundedRect(QRectF(5.5, 1.5, 5, 8.5), 2.5, 2.5);
  QPen stand(c, 1.4);
  stand.setCapStyle(Qt::RoundCap);
  p.setPen(stand);
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(3.5, 4.5, 9, 8), 180 * 16, 180 * 16);
  p.drawLine(QPointF(8, 12.5), QPointF(8, 14.5));
  p.drawLine(QPointF(5.5, 14.5), QPointF(10.5, 14.5));
}

void micOn(QPainter &p, const QSize &) { microphone(p, art::color::green); }

void micOff(QPainter &p, const QSize &) {
  microphone(p, art::color::gray);
  QPen slash(art::color::red, 1.8);
  slash.setCapStyle(Qt::RoundCap);
  p.setPen(slash);
  p.drawLine(QPointF(2.5, 2.5), QPointF(13.5, 13.5));
}

// The speaking mark: a microphone with sound waves beside it.
void speaking(QPainter &p, const QSize &) {
  microphone(p, art::color::yellow);
  QPen wave(art::color::yellow, 1.1);
  wave.setCapStyle(Qt::RoundCap);
  p.setPen(wave);
  p.drawArc(QRectF(11, 3, 4, 6), -60 * 16, 120 * 16);
  p.drawArc(QRectF(-1, 3, 4, 6), 120 * 16, 120 * 16);
}

// Dark at the bottom, fading upwards, so that white names stay readable on any picture.
void cameraBar(QPainter &p, const QSize &s) {
  QLinearGradient shade(0, 0, 0, s.height());
  shade.setColorAt(0.0, QColor(0, 0, 0, 40));
  shade.setColorAt(1.0, QColor(0, 0, 0, 170));
  p.fillRect(QRect(QPoint(0, 0), s), shade);
}

} // namespace

ART_REGISTER(video) {
  art::addImage(QStringLiteral("camera_bar.png"), {140, 30}, cameraBar);
  art::addImage(QStringLiteral("mic_on_16.png"), {16, 16}, micOn);
  art::addImage(QStringLiteral("mic_off_16.png"), {16, 16}, micOff);
  art::addImage(QStringLiteral("ever_mic.png"), {16, 16}, speaking);
}

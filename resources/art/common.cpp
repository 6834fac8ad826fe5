// Artwork used across the whole program: application icon and the default avatar.

#include "art.h"

#include <QPainterPath>

ART_REGISTER(common) {
  auto logo = [](QPainter &p, const QSize &s) {
    const QRectF r(0, 0, s.width(), s.height());
    art::roundedButton(p, r.adjusted(1, 1, -1, -1), art::color::yellow, s.width() * 0.22);
    art::centeredText(p, r, QStringLiteral("T"), art::color::white, int(s.height() * 0.7), true);
  };
  art::addImage(QStringLiteral("ico48.ico"), {48, 48}, logo);
  art::addImage(QStringLiteral("logo.png"), {64, 64}, logo);
}

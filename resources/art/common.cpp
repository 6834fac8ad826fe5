// Artwork used across the whole program: application icon and the default avatar, and the
// desktop's icon of the installed client at the usual sizes (the package takes them from
// "hicolor/" of the generated folder).

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
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    art::addImage(QStringLiteral("hicolor/%1x%1/apps/tarnwick-client.png").arg(size), {size, size}, logo);
}

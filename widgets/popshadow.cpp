#include "widgets/popshadow.h"

#include "widgets/compositing.h"

#include <QLabel>
#include <QPainter>

namespace {

// The picture's rim is drawn unscaled; only its middle stretches. The margins are those of
// the artwork: the pop-up's edge lies 20 pixels in on the sides and 10 in at the top, and
// the corners' blur reaches a further 20 pixels inwards.
const int kSliceSide = 40;
const int kSliceTop = 30;
const int kSliceBottom = 40;

QString borderImageStyle(const QString &image) {
  return QStringLiteral("QLabel { border-image: url(%1) %2 %3 %4 %3 stretch stretch;"
                        " border-width: %2px %3px %4px %3px; background: transparent; }")
      .arg(image)
      .arg(kSliceTop)
      .arg(kSliceSide)
      .arg(kSliceBottom);
}

} // namespace

QString PopShadow::defaultImage() { return QStringLiteral(":/res/Resources/pop_background.png"); }

QString PopShadow::bigImage() { return QStringLiteral(":/res/Resources/pop_background_big.png"); }

QColor PopShadow::frameColour() { return QColor(200, 200, 200); }

PopShadow::PopShadow(QWidget *parent, const QString &image)
    : QWidget(parent), m_plain(!compositing::translucentWindowsBlend()) {
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                 Qt::WindowDoesNotAcceptFocus);
  setAttribute(Qt::WA_NoSystemBackground);
  // Unblended, a translucent window would show its transparent pixels black.
  setAttribute(m_plain ? Qt::WA_OpaquePaintEvent : Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_ShowWithoutActivating);
  m_label = new QLabel(this);
  m_label->setObjectName(QStringLiteral("labelShadow"));
  m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_label->setVisible(!m_plain);
  setImage(image);
}

void PopShadow::setImage(const QString &image) {
  m_image = image;
  applyImage();
}

void PopShadow::applyImage() { m_label->setStyleSheet(borderImageStyle(m_image)); }

QRect PopShadow::shadowGeometry(const QRect &popup, int s) {
  return QRect(popup.x() - s, popup.y() + 10 - s, popup.width() + 2 * s, popup.height() + 2 * s - 10);
}

QRect PopShadow::maskInnerRect(const QSize &popupSize, int s) {
  return QRect(s, s - 10, popupSize.width(), popupSize.height() + (5 - s) * 2);
}

QRegion PopShadow::shadowMask(const QSize &popupSize, int s) {
  const QRect outer(QPoint(0, 0), shadowGeometry(QRect(QPoint(0, 0), popupSize), s).size());
  return QRegion(outer).subtracted(QRegion(maskInnerRect(popupSize, s)));
}

QRegion PopShadow::frameMask(const QSize &popupSize, int s) {
  const QRect popup(QPoint(s, s - 10), popupSize);
  const QRect outer = popup.adjusted(-kFrameWidth, -kFrameWidth, kFrameWidth, kFrameWidth);
  return QRegion(outer).subtracted(QRegion(popup));
}

void PopShadow::follow(const QRect &popupGeometry) {
  m_popup = popupGeometry;
  const QRect g = shadowGeometry(popupGeometry);
  setGeometry(g);
  m_label->setGeometry(QRect(QPoint(0, 0), g.size()));
  setMask(m_plain ? frameMask(popupGeometry.size()) : shadowMask(popupGeometry.size()));
}

void PopShadow::paintEvent(QPaintEvent *) {
  if (!m_plain) return; // the label draws the shadow picture
  QPainter p(this);
  p.fillRect(rect(), frameColour());
}

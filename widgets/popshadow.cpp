#include "widgets/popshadow.h"

#include "widgets/compositing.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QTimer>

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

PopShadow::PopShadow(QWidget *parent, const QString &image) : QWidget(parent) {
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                 Qt::WindowDoesNotAcceptFocus);
  setAttribute(Qt::WA_NoSystemBackground);
  // Unblended, a translucent window would show its transparent pixels black; the shadow then
  // paints itself opaque over a copy of the screen beneath.
  if (!compositing::translucentWindowsBlend())
    setAttribute(Qt::WA_OpaquePaintEvent);
  else
    setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_ShowWithoutActivating);
  m_settleTimer = new QTimer(this);
  m_settleTimer->setObjectName(QStringLiteral("settleTimer"));
  m_settleTimer->setSingleShot(true);
  m_settleTimer->setInterval(kSettleMs);
  connect(m_settleTimer, &QTimer::timeout, this, [this] {
    QWidget::setVisible(true);
    // Newly mapped, the shadow lies on top; the window it surrounds goes back above it.
    if (QWidget *owner = parentWidget()) owner->window()->raise();
  });
  m_label = new QLabel(this);
  m_label->setObjectName(QStringLiteral("labelShadow"));
  m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
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

void PopShadow::follow(const QRect &popupGeometry) {
  m_popup = popupGeometry;
  const QRect g = shadowGeometry(popupGeometry);
  setGeometry(g);
  m_label->setGeometry(QRect(QPoint(0, 0), g.size()));
  setMask(shadowMask(popupGeometry.size()));
  if (!compositing::translucentWindowsBlend() && (isVisible() || m_settleTimer->isActive())) {
    // A copy of the screen taken now would show the shadow itself: step aside until the
    // pop-up rests and the windows beneath have repainted.
    QWidget::setVisible(false);
    m_settleTimer->start();
  }
}

void PopShadow::setVisible(bool visible) {
  // The owner's word outranks a pending return after a move.
  m_settleTimer->stop();
  QWidget::setVisible(visible);
}

void PopShadow::showEvent(QShowEvent *event) {
  if (!compositing::translucentWindowsBlend()) takeBackdrop();
  QWidget::showEvent(event);
}

void PopShadow::takeBackdrop() {
  m_backdrop = compositing::grabScreen(this, geometry());
  update();
}

void PopShadow::paintEvent(QPaintEvent *) {
  if (m_backdrop.isNull() || !!compositing::translucentWindowsBlend()) return;
  QPainter p(this);
  p.drawPixmap(rect(), m_backdrop);
}

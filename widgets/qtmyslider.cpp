#include "widgets/qtmyslider.h"

#include "widgets/qtimagebutton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace {

QPixmap picture(const char *name) {
  return QPixmap(QtImageButton::resourcePath(QString::fromLatin1(name)));
}

} // namespace

QtMySlider::QtMySlider(QWidget *parent) : QSlider(Qt::Horizontal, parent) { init(); }

QtMySlider::QtMySlider(Qt::Orientation orientation, QWidget *parent) : QSlider(orientation, parent) {
  init();
}

void QtMySlider::init() {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_Hover);
  setCursor(Qt::PointingHandCursor);
  setRange(0, 100);
}

QSize QtMySlider::sizeHint() const { return QSize(200, 22); }

QSize QtMySlider::minimumSizeHint() const { return QSize(40, 22); }

int QtMySlider::handleWidth() const { return qMin(height(), 20); }

QRect QtMySlider::handleRect() const {
  const int hw = handleWidth();
  const int x = QStyle::sliderPositionFromValue(minimum(), maximum(), value(), qMax(0, width() - hw),
                                                invertedAppearance());
  return QRect(x, (height() - hw) / 2, hw, hw);
}

int QtMySlider::valueAt(int x) const {
  const int hw = handleWidth();
  return QStyle::sliderValueFromPosition(minimum(), maximum(), x - hw / 2, qMax(0, width() - hw),
                                         invertedAppearance());
}

void QtMySlider::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  const QPixmap left = picture("slider_left.png");
  const QPixmap right = picture("slider_right.png");
  const QPixmap bottom = picture("slider_bottom.png");
  const QPixmap top = picture("slider_top.png");

  const QRect handle = handleRect();
  const int trackHeight = left.isNull() ? 6 : left.height();
  const int y = (height() - trackHeight) / 2;
  const int capWidth = left.isNull() ? 3 : left.width();
  const int hw = handle.width();
  // The track runs between the handle's centre positions at both ends.
  const int trackLeft = hw / 2 - capWidth;
  const int trackRight = width() - hw / 2 + capWidth;
  const int filledTo = handle.center().x();

  p.drawPixmap(QRect(trackLeft, y, capWidth, trackHeight), left);
  p.drawPixmap(QRect(trackLeft + capWidth, y, qMax(0, filledTo - trackLeft - capWidth), trackHeight), top);
  p.drawPixmap(QRect(filledTo, y, qMax(0, trackRight - capWidth - filledTo), trackHeight), bottom);
  p.drawPixmap(QRect(trackRight - capWidth, y, capWidth, trackHeight), right);

  const bool active = isEnabled() && (m_hovered || m_dragging);
  p.drawPixmap(handle, picture(active ? "slider_button2.png" : "slider_button.png"));
}

void QtMySlider::mousePressEvent(QMouseEvent *event) {
  if (event->button() != Qt::LeftButton) {
    QSlider::mousePressEvent(event);
    return;
  }
  m_dragging = true;
  setSliderDown(true);
  if (!handleRect().contains(event->pos())) setSliderPosition(valueAt(event->pos().x()));
  event->accept();
  update();
}

void QtMySlider::mouseMoveEvent(QMouseEvent *event) {
  if (!m_dragging) {
    QSlider::mouseMoveEvent(event);
    return;
  }
  setSliderPosition(valueAt(event->pos().x()));
  event->accept();
}

void QtMySlider::mouseReleaseEvent(QMouseEvent *event) {
  if (!m_dragging) {
    QSlider::mouseReleaseEvent(event);
    return;
  }
  m_dragging = false;
  setSliderDown(false);
  event->accept();
  update();
}

void QtMySlider::enterEvent(QEvent *event) {
  QSlider::enterEvent(event);
  m_hovered = true;
  update();
}

void QtMySlider::leaveEvent(QEvent *event) {
  QSlider::leaveEvent(event);
  m_hovered = false;
  update();
}

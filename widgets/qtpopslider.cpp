#include "widgets/qtpopslider.h"

#include "widgets/compositing.h"
#include "widgets/qtimagebutton.h"

#include <QBitmap>
#include <QPainter>
#include <QPixmap>
#include <QSlider>
#include <QTimer>

namespace {

const char *const kSliderStyle =
    "QSlider { background: transparent; }"
    "QSlider::groove:vertical { width: 6px; border-radius: 5px; background: #E3E5E8; }"
    "QSlider::sub-page:vertical { width: 6px; border-radius: 3px; background: #E3E5E8; }"
    "QSlider::add-page:vertical { width: 6px; border-radius: 3px;"
    "  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FFD21E, stop:1 #FFB400); }"
    "QSlider::handle:vertical { height: 20px; width: 16px; margin: 0 -5px; border-radius: 8px;"
    "  border: 1px solid #B9BDC4;"
    "  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FFFFFF, stop:1 #D5D8DD); }"
    "QSlider::handle:vertical:hover { border: 1px solid #9DA2AA;"
    "  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FFFFFF, stop:1 #C6CAD1); }";

QTimer *makeTimer(QObject *parent, const char *name) {
  auto *t = new QTimer(parent);
  t->setObjectName(QString::fromLatin1(name));
  t->setSingleShot(true);
  t->setInterval(QtPopSlider::kDelayMs);
  return t;
}

} // namespace

QtPopSlider::QtPopSlider(QWidget *parent) : QWidget(parent) {
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
  // Where translucent windows are not blended, the window takes the picture's shape instead.
  if (compositing::translucentWindowsBlend()) setAttribute(Qt::WA_TranslucentBackground);
  resize(46, 121);

  m_slider = new QSlider(Qt::Vertical, this);
  m_slider->setObjectName(QStringLiteral("slider"));
  m_slider->setRange(0, 100);
  m_slider->setValue(50);
  m_slider->setStyleSheet(QString::fromLatin1(kSliderStyle));
  m_slider->setCursor(Qt::PointingHandCursor);
  connect(m_slider, &QSlider::valueChanged, this, &QtPopSlider::valueChanged);

  m_showTimer = makeTimer(this, "showTimer");
  m_hideTimer = makeTimer(this, "hideTimer");
  connect(m_showTimer, &QTimer::timeout, this, &QtPopSlider::showSlider);
  connect(m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
}

int QtPopSlider::value() const { return m_slider->value(); }

void QtPopSlider::setValue(int value) { m_slider->setValue(value); }

void QtPopSlider::requestShow() {
  m_hideTimer->stop();
  m_showTimer->start();
}

void QtPopSlider::requestHide() {
  m_showTimer->stop();
  m_hideTimer->start();
}

void QtPopSlider::enterEvent(QEvent *event) {
  QWidget::enterEvent(event);
  m_hideTimer->stop();
}

void QtPopSlider::leaveEvent(QEvent *event) {
  QWidget::leaveEvent(event);
  m_hideTimer->start();
}

void QtPopSlider::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  // The background's pointer takes the bottom 8 pixels; the slider sits in the card above.
  const int sliderWidth = 24;
  m_slider->setGeometry((width() - sliderWidth) / 2, 12, sliderWidth, qMax(0, height() - 32));
  if (!compositing::translucentWindowsBlend()) {
    const QPixmap shape = background().scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!shape.isNull()) setMask(shape.mask());
  }
}

QPixmap QtPopSlider::background() {
  return QPixmap(QtImageButton::resourcePath(QStringLiteral("pop_slider_background.png")));
}

void QtPopSlider::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawPixmap(rect(), background());
}

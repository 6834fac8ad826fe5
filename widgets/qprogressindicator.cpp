#include "widgets/qprogressindicator.h"

#include <QPainter>
#include <QTimerEvent>

QProgressIndicator::QProgressIndicator(QWidget *parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setFocusPolicy(Qt::NoFocus);
}

bool QProgressIndicator::isAnimated() const { return m_timerId != -1; }

void QProgressIndicator::startAnimation() {
  m_step = 0;
  if (m_timerId == -1) m_timerId = startTimer(m_delay);
  update();
}

void QProgressIndicator::stopAnimation() {
  if (m_timerId != -1) killTimer(m_timerId);
  m_timerId = -1;
  update();
}

void QProgressIndicator::setAnimationDelay(int delay) {
  m_delay = qMax(1, delay);
  if (m_timerId != -1) {
    killTimer(m_timerId);
    m_timerId = startTimer(m_delay);
  }
}

void QProgressIndicator::setDisplayedWhenStopped(bool state) {
  m_displayedWhenStopped = state;
  update();
}

void QProgressIndicator::setColor(const QColor &color) {
  m_color = color;
  update();
}

QSize QProgressIndicator::sizeHint() const { return QSize(24, 24); }

int QProgressIndicator::heightForWidth(int w) const { return w; }

void QProgressIndicator::timerEvent(QTimerEvent *event) {
  if (event->timerId() != m_timerId) {
    QWidget::timerEvent(event);
    return;
  }
  m_step = (m_step + 1) % kBars;
  update();
}

void QProgressIndicator::paintEvent(QPaintEvent *) {
  if (!m_displayedWhenStopped && !isAnimated()) return;
  const int side = qMin(width(), height());
  if (side <= 0) return;

  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(width() / 2.0, height() / 2.0);
  const qreal outer = side / 2.0;
  const qreal inner = outer * 0.45;
  const qreal barLength = outer - inner;
  const qreal barWidth = qMax<qreal>(1.5, side / 10.0);
  p.setPen(Qt::NoPen);
  // Bar i trails the leading bar by i steps and fades with the distance.
  for (int i = 0; i < kBars; ++i) {
    QColor c = m_color;
    c.setAlphaF(1.0 - qreal(i) / kBars);
    p.save();
    p.rotate((m_step - i) * (360.0 / kBars));
    p.setBrush(c);
    p.drawRoundedRect(QRectF(-barWidth / 2, -outer, barWidth, barLength), barWidth / 2, barWidth / 2);
    p.restore();
  }
}

#include "widgets/qtrotatewidget.h"

#include "widgets/qtimagebutton.h"

#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace {
int g_angle = 0;
}

QtRotateWidget::QtRotateWidget(QWidget *parent) : QWidget(parent) {
  m_timer = new QTimer(this);
  connect(m_timer, &QTimer::timeout, this, qOverload<>(&QWidget::repaint));
  m_timer->start(30);
}

int QtRotateWidget::sharedAngle() { return g_angle; }

void QtRotateWidget::paintEvent(QPaintEvent *) {
  g_angle = (g_angle + 1) % 360;
  const QPixmap picture(QtImageButton::resourcePath(QStringLiteral("refresh.png")));
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(width() / 2.0, height() / 2.0);
  p.rotate(g_angle);
  const QSizeF sz = QSizeF(picture.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
  p.drawPixmap(QRectF(QPointF(-sz.width() / 2, -sz.height() / 2), sz), picture, QRectF(picture.rect()));
}

#include "widgets/qtcustomwidget.h"

#include <QResizeEvent>

QtCustomWidget::QtCustomWidget(QWidget *parent) : QWidget(parent) {}

void QtCustomWidget::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  emit resized(event->size());
}

void QtCustomWidget::enterEvent(QEvent *event) {
  QWidget::enterEvent(event);
  emit enter();
}

void QtCustomWidget::leaveEvent(QEvent *event) {
  QWidget::leaveEvent(event);
  emit leave();
}

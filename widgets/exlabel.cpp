#include "widgets/exlabel.h"

#include <QMouseEvent>

ExLabel::ExLabel(QWidget *parent) : QLabel(parent) {}

void ExLabel::mousePressEvent(QMouseEvent *event) {
  QLabel::mousePressEvent(event);
  emit mousePress(event);
}

void ExLabel::mouseMoveEvent(QMouseEvent *event) {
  QLabel::mouseMoveEvent(event);
  emit mouseMove(event);
}

void ExLabel::mouseDoubleClickEvent(QMouseEvent *event) {
  QLabel::mouseDoubleClickEvent(event);
  emit mouseDoubleClick(event);
}

void ExLabel::enterEvent(QEvent *event) {
  QLabel::enterEvent(event);
  emit enter(event);
}

void ExLabel::leaveEvent(QEvent *event) {
  QLabel::leaveEvent(event);
  emit leave(event);
}

#include "widgets/myscrollarea.h"

#include <QWheelEvent>

MyScrollArea::MyScrollArea(QWidget *parent) : QScrollArea(parent) {}

void MyScrollArea::wheelEvent(QWheelEvent *event) {
  emit wheel(event->angleDelta().y());
  event->accept();
}

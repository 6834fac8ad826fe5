#include "widgets/shadowfollower.h"

#include "widgets/popshadow.h"

#include <QEvent>
#include <QMetaObject>
#include <QTimer>
#include <QWidget>

ShadowFollower::ShadowFollower(QWidget *window, const QString &image)
    : QObject(window), window_(window), shadow_(new PopShadow(window, image)) {
  window->installEventFilter(this);
}

ShadowFollower::ShadowFollower(QWidget *window) : ShadowFollower(window, PopShadow::defaultImage()) {}

PopShadow *ShadowFollower::shadow() const { return shadow_; }

void ShadowFollower::showShadow() {
  if (!shadow_ || !window_->isVisible()) return;
  follow();
  shadow_->show();
  window_->raise(); // the shadow stays beneath the window
}

void ShadowFollower::setShadowVisible(bool visible) {
  if (visible)
    showShadow();
  else if (shadow_)
    shadow_->hide();
}

void ShadowFollower::follow() {
  if (shadow_) shadow_->follow(window_->frameGeometry());
}

void ShadowFollower::scheduleShow() {
  if (window_->metaObject()->indexOfSlot("initWidget()") >= 0)
    QMetaObject::invokeMethod(window_, "initWidget", Qt::QueuedConnection);
  else
    QTimer::singleShot(0, this, &ShadowFollower::showShadow);
}

bool ShadowFollower::eventFilter(QObject *watched, QEvent *event) {
  if (watched == window_) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
      follow();
      break;
    case QEvent::Show:
      scheduleShow();
      break;
    case QEvent::Hide:
      if (shadow_) shadow_->hide();
      break;
    default:
      break;
    }
  }
  return QObject::eventFilter(watched, event);
}

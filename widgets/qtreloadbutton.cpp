#include "widgets/qtreloadbutton.h"

#include <QLabel>
#include <QPixmap>
#include <QTimer>

QtReloadButton::QtReloadButton(QWidget *parent) : QtImageButton(parent) {
  m_iconLabel = new QLabel(this);
  m_iconLabel->setObjectName(QStringLiteral("labelIcon"));
  m_iconLabel->setScaledContents(true);
  m_iconLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_iconLabel->setStyleSheet(QStringLiteral("background: transparent;"));
  m_iconLabel->setGeometry(rect());

  m_timer = new QTimer(this);
  m_timer->setObjectName(QStringLiteral("animationTimer"));
  connect(m_timer, &QTimer::timeout, this, &QtReloadButton::onTimer);

  setImageName(QStringLiteral("refresh"));
  showFrameImage(QStringLiteral("reload0.png"));
}

bool QtReloadButton::isAnimating() const { return m_timer->isActive(); }

void QtReloadButton::startAnimation() {
  // A start during the last turn cancels its stop request, so the spinner keeps going.
  m_stopRequested = false;
  if (!m_timer->isActive()) m_timer->start(kIntervalMs);
}

void QtReloadButton::stopAnimation() {
  if (m_timer->isActive()) m_stopRequested = true;
}

void QtReloadButton::onTimer() {
  ++m_frame;
  const int index = m_frame % kFrames;
  showFrameImage(QStringLiteral("frame-%1.png").arg(index));
  if (index == 0 && m_stopRequested) {
    m_stopRequested = false;
    m_timer->stop();
    showFrameImage(QStringLiteral("reload0.png"));
  }
}

void QtReloadButton::showFrameImage(const QString &fileName) {
  m_frameImage = resourcePath(fileName);
  m_iconLabel->setPixmap(QPixmap(m_frameImage));
}

void QtReloadButton::resizeEvent(QResizeEvent *event) {
  QtImageButton::resizeEvent(event);
  m_iconLabel->setGeometry(rect());
}

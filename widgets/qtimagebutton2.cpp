#include "widgets/qtimagebutton2.h"

#include <QLabel>

QtImageButton2::QtImageButton2(QWidget *parent) : QtImageButton(parent) {
  m_label = new QLabel(this);
  m_label->setObjectName(QStringLiteral("label"));
  m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QtImageButton2::QtImageButton2(const QString &imageName, QWidget *parent) : QtImageButton2(parent) {
  setImageName(imageName);
}

QString QtImageButton2::hoverCaptionStyle() {
  return QStringLiteral("color: #FE4904; font: 75 12px \"微软雅黑\";");
}

QString QtImageButton2::normalCaptionStyle() {
  return QStringLiteral("color: #999999; font: 75 12px \"微软雅黑\";");
}

void QtImageButton2::setColorSwitching(bool on) {
  m_colorSwitching = on;
  refreshImage();
}

void QtImageButton2::refreshImage() {
  QtImageButton::refreshImage();
  // Called from the base constructor's path too, before the label exists.
  if (!m_label || !m_colorSwitching) return;
  m_label->setStyleSheet(isHovered() ? hoverCaptionStyle() : normalCaptionStyle());
}

#include "widgets/qtbackimagebutton.h"

#include <QHBoxLayout>
#include <QLabel>

QtBackImageButton::QtBackImageButton(QWidget *parent) : QtImageButton(parent) { build(); }

QtBackImageButton::QtBackImageButton(const QString &imageName, QWidget *parent)
    : QtImageButton(parent) {
  build();
  setImageName(imageName);
}

void QtBackImageButton::build() {
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  m_labelText = new QLabel(this);
  m_labelText->setObjectName(QStringLiteral("labelText"));
  m_labelText->setAlignment(Qt::AlignCenter);
  m_labelText->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_labelText->setStyleSheet(defaultCaptionStyle());
  layout->addWidget(m_labelText);
}

QString QtBackImageButton::defaultCaptionStyle() {
  return QStringLiteral("font: 14px \"微软雅黑\";\nbackground-color: rgba(255, 255, 255, 0);");
}

void QtBackImageButton::setCaptionText(const QString &text) { m_labelText->setText(text); }

QString QtBackImageButton::captionText() const { return m_labelText->text(); }

void QtBackImageButton::setCaptionStyle(const QString &styleSheet) {
  m_labelText->setStyleSheet(styleSheet);
}

#include "widgets/qtmybutton.h"

#include "widgets/qtimagebutton.h"

#include <QLabel>
#include <QPixmap>

QtMyButton::QtMyButton(QWidget *parent) : QPushButton(parent) {
  setFlat(true);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
  setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));

  auto makeLabel = [this](const char *name) {
    auto *label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setScaledContents(true);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    // An owner's background style must not cascade onto the layers and hide the picture.
    label->setStyleSheet(QStringLiteral("background: transparent;"));
    return label;
  };
  m_labelAvatar = makeLabel("labelAvatar");
  m_labelMask = makeLabel("labelMask");
  m_labelMask->setPixmap(QPixmap(QtImageButton::resourcePath(QStringLiteral("avatar_mask.png"))));
  resetAvatar();
  resize(36, 36);
}

void QtMyButton::setAvatar(const QPixmap &picture) {
  if (picture.isNull()) {
    resetAvatar();
    return;
  }
  m_labelAvatar->setPixmap(picture);
}

void QtMyButton::resetAvatar() {
  m_labelAvatar->setPixmap(QPixmap(QtImageButton::resourcePath(QStringLiteral("avatar_default.png"))));
}

void QtMyButton::resizeEvent(QResizeEvent *event) {
  QPushButton::resizeEvent(event);
  m_labelAvatar->setGeometry(rect());
  m_labelMask->setGeometry(rect());
  m_labelMask->raise();
}

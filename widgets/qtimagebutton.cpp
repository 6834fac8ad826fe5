#include "widgets/qtimagebutton.h"

#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionButton>

QtImageButton::QtImageButton(QWidget *parent) : QPushButton(parent) {
  setFlat(true);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  resize(25, 25);
}

QtImageButton::QtImageButton(const QString &imageName, QWidget *parent) : QtImageButton(parent) {
  setImageName(imageName);
}

QString QtImageButton::resourcePath(const QString &fileName) {
  return QStringLiteral(":/res/Resources/") + fileName;
}

QString QtImageButton::imagePath(const QString &name, bool enabled, bool hovered, bool hoverImages) {
  if (name.isEmpty()) return QString();
  QString suffix = QStringLiteral(".png");
  if (!enabled)
    suffix = QStringLiteral("_disabled.png");
  else if (hovered && hoverImages)
    suffix = QStringLiteral("_hover.png");
  return resourcePath(name + suffix);
}

void QtImageButton::setImageName(const QString &name) {
  m_imageName = name;
  refreshImage();
}

void QtImageButton::setHoverImages(bool on) {
  m_hoverImages = on;
  refreshImage();
}

void QtImageButton::refreshImage() {
  const QString path = imagePath(m_imageName, isEnabled(), m_hovered, m_hoverImages);
  if (path.isEmpty()) return;
  m_currentImage = path;
  setIcon(QIcon(QPixmap(path)));
  setIconSize(size());
  update();
}

QSize QtImageButton::sizeHint() const { return QSize(25, 25); }

void QtImageButton::enterEvent(QEvent *event) {
  QPushButton::enterEvent(event);
  m_hovered = true;
  refreshImage();
  emit enter();
}

void QtImageButton::leaveEvent(QEvent *event) {
  QPushButton::leaveEvent(event);
  m_hovered = false;
  refreshImage();
  emit leave();
}

void QtImageButton::changeEvent(QEvent *event) {
  QPushButton::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) refreshImage();
}

void QtImageButton::resizeEvent(QResizeEvent *event) {
  QPushButton::resizeEvent(event);
  setIconSize(size());
}

void QtImageButton::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  // The picture already carries the state; the style must not grey it out once more.
  const QPixmap pm = icon().pixmap(iconSize(), QIcon::Normal, isChecked() ? QIcon::On : QIcon::Off);
  if (!pm.isNull()) p.drawPixmap(rect(), pm);
  if (!text().isEmpty()) {
    style()->drawItemText(&p, rect(), Qt::AlignCenter, palette(), isEnabled(), text(),
                          QPalette::ButtonText);
  }
}

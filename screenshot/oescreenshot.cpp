#include "screenshot/oescreenshot.h"
#include "screenshot/oeamplifier.h"
#include "screenshot/oerect.h"
#include "screenshot/oescreen.h"
#include "screenshot/windowatpoint.h"

#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

namespace {
const QColor kDim(0, 0, 0, 160);
const QColor kDetectedFrame(0, 175, 255);
constexpr int kDetectedFrameWidth = 2;
const QPoint kCursorHotSpot(15, 23);
const QString kBuiltInCursor = QStringLiteral(":/res/Resources/oescreenshot/pointer.png");

QImage grabDesktop(const QRect &desktop) {
  QScreen *screen = QGuiApplication::primaryScreen();
  if (!screen) return QImage();
  // Window 0 is the root window: the whole virtual desktop, whatever screen holds each part.
  return screen->grabWindow(0, desktop.x(), desktop.y(), desktop.width(), desktop.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

QImage dimmed(const QImage &frozen) {
  QImage out = frozen;
  QPainter p(&out);
  p.fillRect(out.rect(), kDim);
  return out;
}
} // namespace

OEScreenshot::OEScreenshot(QObject *uploadTarget, const QString &cursorFile)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), m_target(uploadTarget) {
  setAttribute(Qt::WA_DeleteOnClose);
  QScreen *screen = QGuiApplication::primaryScreen();
  m_desktop = screen ? screen->virtualGeometry() : QRect();
  m_frozen = grabDesktop(m_desktop);
  m_dimmed = dimmed(m_frozen);
  m_scale = shotgeometry::Scale::forDesktop(m_desktop.size());

  const QPixmap pointer(cursorFile.isEmpty() ? kBuiltInCursor : cursorFile);
  setCursor(QCursor(pointer, kCursorHotSpot.x(), kCursorHotSpot.y()));
  m_magnifier = new OEAmplifier(m_frozen, m_scale.magnifierSide(), m_scale.magnifierPictureHeight(), this);
  m_sizeLabel = new OERect(this);
  m_sizeLabel->hide();
  setGeometry(m_desktop);
  show();
  raise();
  activateWindow();
  setMouseTracking(true);
  m_magnifier->onPostionChange(QCursor::pos().x() - m_desktop.x(), QCursor::pos().y() - m_desktop.y());
}

OEScreenshot::~OEScreenshot() = default;

void OEScreenshot::detectWindow(const QPoint &global) {
  const QRect found = windowatpoint::windowRectAt(global, {winId()});
  m_detected = found.translated(-m_desktop.topLeft());
  update();
}

void OEScreenshot::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.drawImage(0, 0, m_dimmed);
  if (m_detected.isEmpty()) return;
  p.drawImage(m_detected.topLeft(), m_frozen, m_detected);
  p.setPen(QPen(kDetectedFrame, kDetectedFrameWidth));
  p.drawRect(m_detected);
}

void OEScreenshot::mousePressEvent(QMouseEvent *e) {
  if (e->button() == Qt::LeftButton && !m_selection) startSelection(e->pos());
}

void OEScreenshot::startSelection(const QPoint &press) {
  m_selection = new OEScreen(m_frozen, press, m_desktop.topLeft(), this);
  connect(this, &OEScreenshot::cursorPosChange, m_selection, &OEScreen::onMouseChange);
  connect(this, &OEScreenshot::doubleClick, m_selection, &OEScreen::onSaveScreen);
  connect(m_selection, &OEScreen::doubleClick, m_selection, &OEScreen::onSaveScreen);
  connect(m_selection, &OEScreen::sizeChange, m_magnifier, &OEAmplifier::onSizeChange);
  connect(m_selection, &OEScreen::sizeChange, m_sizeLabel, &OERect::onSizeChange);
  connect(m_selection, &OEScreen::postionChange, m_sizeLabel, &OERect::onPostionChange);
  connect(m_selection, &OEScreen::finished, this, &OEScreenshot::uploadPicture);
  m_press = press;
  m_selecting = true;
}

void OEScreenshot::mouseMoveEvent(QMouseEvent *e) {
  m_magnifier->onPostionChange(e->pos().x(), e->pos().y());
  if (m_selecting) {
    emit cursorPosChange(e->pos().x(), e->pos().y());
    m_detected = QRect();
    update();
  } else if (!m_selection) {
    detectWindow(e->globalPos());
  }
}

void OEScreenshot::mouseReleaseEvent(QMouseEvent *e) {
  if (e->button() == Qt::LeftButton && m_selecting) fixSelection(e->pos());
  if (e->button() == Qt::RightButton) {
    if (!m_selection) close();
    else dropSelection(e->pos());
  }
}

void OEScreenshot::fixSelection(const QPoint &release) {
  if (release == m_press && !m_detected.isEmpty()) {
    m_selection->setGeometry(m_detected);
    m_selection->show();
    m_detected = QRect();
  }
  if (!m_selection->hasArea()) {
    // A click with no window beneath, or a drag along a line: nothing was selected.
    dropSelection(release);
    update();
    return;
  }
  disconnect(this, &OEScreenshot::cursorPosChange, m_selection, &OEScreen::onMouseChange);
  disconnect(m_selection, &OEScreen::sizeChange, m_magnifier, &OEAmplifier::onSizeChange);
  m_magnifier->hide();
  m_selection->fix();
  m_selecting = false;
  update();
}

void OEScreenshot::dropSelection(const QPoint &pointer) {
  m_sizeLabel->hide();
  m_magnifier->onPostionChange(pointer.x(), pointer.y());
  m_magnifier->show();
  detectWindow(mapToGlobal(pointer));
  // Signals go first, so no late size or position change reaches the magnifier or label.
  m_selection->disconnect();
  disconnect(this, nullptr, m_selection, nullptr);
  m_selection->closeParts();
  m_selection->deleteLater();
  m_selection = nullptr;
  m_selecting = false;
}

void OEScreenshot::keyPressEvent(QKeyEvent *e) {
  if (e->key() == Qt::Key_Escape) close();
  else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) emit doubleClick();
}

void OEScreenshot::uploadPicture(const QByteArray &png) {
  if (!m_target) return;
  if (!QMetaObject::invokeMethod(m_target, "uploadPicture", Q_ARG(QByteArray, png)))
    qDebug() << "screenshot: the upload target has no uploadPicture(QByteArray)";
}

#include "screenshot/oescreen.h"
#include "screenshot/controlwidget.h"
#include "widgets/tips.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

using shotgeometry::Direction;

bool OEScreen::s_shown = false;

namespace {
const QColor kFrame(0, 174, 255);
constexpr int kFrameWidth = 2;
constexpr int kHandleWidth = 4;
constexpr int kPngQuality = 20;
constexpr Qt::WindowFlags kLayerFlags = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint; // 0x40800

Qt::CursorShape pointerFor(Direction d) {
  switch (d) {
  case shotgeometry::Top:
  case shotgeometry::Bottom: return Qt::SizeVerCursor;
  case shotgeometry::Left:
  case shotgeometry::Right: return Qt::SizeHorCursor;
  case shotgeometry::TopLeft:
  case shotgeometry::BottomRight: return Qt::SizeFDiagCursor;
  case shotgeometry::BottomLeft:
  case shotgeometry::TopRight: return Qt::SizeBDiagCursor;
  default: return Qt::SizeAllCursor;
  }
}
QString askWithDialog(QWidget *parent, const QString &title, const QString &name, const QString &filter) {
  return QFileDialog::getSaveFileName(parent, title, name, filter);
}

OEScreen::SaveNameAsker &saveNameAsker() {
  static OEScreen::SaveNameAsker asker = askWithDialog;
  return asker;
}
} // namespace

void OEScreen::setSaveNameAsker(SaveNameAsker asker) {
  saveNameAsker() = asker ? std::move(asker) : SaveNameAsker(askWithDialog);
}

OEScreen::OEScreen(const QImage &frozen, const QPoint &press, const QPoint &desktopOrigin, QWidget *parent)
    : QWidget(parent), m_frozen(frozen), m_press(press), m_origin(desktopOrigin), m_menu(new QMenu(this)),
      m_layer(std::make_unique<QSLabel>(nullptr, kLayerFlags)) {
  hide();
  setMouseTracking(true);
  move(press);
  m_menu->addAction(QStringLiteral("完成截图"), this, &OEScreen::onSaveScreen);
  m_menu->addAction(QStringLiteral("保存"), this, &OEScreen::onSaveScreenOther);
  m_menu->addSeparator();
  m_menu->addAction(QStringLiteral("退出截图"), this, &OEScreen::quitScreenshot);
  connect(m_layer.get(), &QSLabel::closeScreen, this, &OEScreen::quitScreenshot);
  connect(m_layer.get(), &QSLabel::finishShotScreen, this, &OEScreen::onSaveScreen);
  connect(m_layer.get(), &QSLabel::doubleClick, this, &OEScreen::onSaveScreen);
}

OEScreen::~OEScreen() {
  s_shown = false;
  delete m_bar;
}

void OEScreen::onMouseChange(int x, int y) {
  show();
  if (x < 0 || y < 0) return;
  setGeometry(shotgeometry::dragRect(m_press, QPoint(x, y)));
  m_stored = geometry();
}

void OEScreen::fix() {
  m_layer->setImage(m_frozen.copy(geometry()));
  if (!m_bar) m_bar = ControlWidget::createBar(this);
  placeControlBar();
  m_bar->show();
  m_bar->raise();
}

void OEScreen::placeControlBar() {
  if (!m_bar) return;
  const int screenHeight = parentWidget() ? parentWidget()->height() : m_frozen.height();
  m_bar->move(m_origin + shotgeometry::controlBarPosition(geometry(), screenHeight));
}

void OEScreen::showDrawingLayer(QSLabel::Tool tool) {
  m_layer->setImage(m_frozen.copy(geometry()));
  m_layer->setFixedSize(size());
  m_layer->move(pos() + m_origin);
  m_drawnOn = true;
  m_layer->setTool(tool);
  m_layer->show();
  m_layer->raise();
  m_layer->activateWindow();
  if (m_bar) m_bar->raise(); // the bar may sit inside the selection near the screen bottom
}

bool OEScreen::hasArea() const { return !isHidden() && !geometry().isEmpty(); }

void OEScreen::onSaveScreen() {
  // A selection resized down to a line has no picture to hand over.
  if (!hasArea()) return;
  const QImage picture = resultImage();
  QApplication::clipboard()->setImage(picture);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "PNG", kPngQuality);
  closeTool();
  emit finished(png);
}

void OEScreen::onSaveScreenOther() {
  if (!hasArea()) return;
  const QString name = saveNameAsker()(this, QStringLiteral("保存图片"),
                                       shotgeometry::defaultSaveName(QDateTime::currentDateTime()),
                                       QStringLiteral("JPEG Files (*.jpg)"));
  if (name.isEmpty()) return;
  if (!resultImage().save(name, "jpg")) {
    // The picture exists nowhere else yet: the student may pick another place.
    ShowCodeErrorTips(QStringLiteral("图片保存失败，请换一个位置或文件名再试。"), parentWidget() ? parentWidget() : this);
    return;
  }
  closeTool();
}

void OEScreen::quitScreenshot() { closeTool(); }

void OEScreen::closeParts() {
  m_layer->close();
  if (m_bar) m_bar->close();
  close();
}

void OEScreen::closeTool() {
  closeParts();
  if (parentWidget()) parentWidget()->close();
}

void OEScreen::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.drawImage(QPoint(0, 0), m_frozen, geometry());
  QPen frame(kFrame, kFrameWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
  p.setPen(frame);
  p.drawRect(rect());
  p.setPen(QPen(Qt::red, kHandleWidth));
  const int w = width(), h = height();
  const QPoint handles[] = {{0, 0}, {w, 0}, {0, h}, {w, h}, {w / 2, 0}, {w / 2, h}, {0, h / 2}, {w, h / 2}};
  p.drawPoints(handles, 8);
}

void OEScreen::resizeEvent(QResizeEvent *) { emit sizeChange(width(), height()); }

void OEScreen::moveEvent(QMoveEvent *) { emit postionChange(x(), y()); }

void OEScreen::showEvent(QShowEvent *) { s_shown = true; }

void OEScreen::hideEvent(QHideEvent *) { s_shown = false; }

void OEScreen::setPointerFor(Direction d) {
  if (!s_shown) return;
  setCursor(pointerFor(d));
}

void OEScreen::mousePressEvent(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton) return;
  if (m_bar) m_bar->hide();
  m_pressed = true;
  m_offset = e->globalPos() - pos();
}

void OEScreen::mouseMoveEvent(QMouseEvent *e) {
  if (!m_pressed) {
    m_direction = s_shown ? shotgeometry::hitTest(e->pos(), size()) : shotgeometry::Inside;
    m_anchor = shotgeometry::anchorFor(m_direction, geometry());
    setPointerFor(m_direction);
    return;
  }
  if (m_direction == shotgeometry::Inside)
    move(e->globalPos() - m_offset);
  else
    setGeometry(shotgeometry::resized(m_direction, geometry(), m_anchor, parentWidget()->mapFromGlobal(e->globalPos())));
  m_stored = geometry();
  emit sizeChange(width(), height());
  emit postionChange(x(), y());
}

void OEScreen::mouseReleaseEvent(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton) return;
  m_pressed = false;
  fix();
}

void OEScreen::mouseDoubleClickEvent(QMouseEvent *) { emit doubleClick(); }

void OEScreen::contextMenuEvent(QContextMenuEvent *e) { m_menu->popup(e->globalPos()); }

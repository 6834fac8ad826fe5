#include "screenshot/qslabel.h"
#include "screenshot/shotgeometry.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
const QColor kInk(Qt::red);
constexpr int kInkWidth = 2;

QRect spanned(const QLine &l) { return shotgeometry::dragRect(l.p1(), l.p2()); }

void drawTriangle(QPainter &p, const std::array<QPoint, 3> &t) { p.drawPolygon(t.data(), int(t.size())); }
} // namespace

QSLabel::QSLabel(QWidget *parent, Qt::WindowFlags flags) : QLabel(parent, flags) {
  setMouseTracking(true);
}

void QSLabel::setImage(const QImage &image) {
  m_image = image;
  update();
}

void QSLabel::setTool(Tool tool) {
  m_tool = tool;
  m_start = m_end = QPoint();
  update();
}

const QVector<QLine> &QSLabel::shapes(Tool tool) const {
  static const QVector<QLine> none;
  switch (tool) {
  case Pen: return m_pen;
  case Rectangle: return m_rectangles;
  case Ellipse: return m_ellipses;
  case Arrow: return m_arrows;
  default: return none;
  }
}

QImage QSLabel::resultImage() const {
  QImage result = m_image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QPainter p(&result);
  paintAll(p);
  return result;
}

void QSLabel::paintEvent(QPaintEvent *) {
  QPainter p(this);
  paintAll(p);
}

void QSLabel::paintAll(QPainter &p) const {
  p.drawImage(0, 0, m_image);
  for (Tool t : {Pen, Rectangle, Ellipse, Arrow})
    for (const QLine &shape : shapes(t)) paintShape(p, t, shape);
  // The shape under way, whether or not the button is down, is the live preview.
  if (m_tool == Rectangle || m_tool == Ellipse || m_tool == Arrow)
    paintShape(p, m_tool, QLine(m_start, m_end));
}

void QSLabel::paintShape(QPainter &p, Tool tool, const QLine &shape) {
  p.save();
  p.setPen(QPen(kInk, kInkWidth));
  p.setBrush(Qt::NoBrush);
  switch (tool) {
  case Pen: p.drawLine(shape); break;
  case Rectangle: p.drawRect(spanned(shape)); break;
  case Ellipse: p.drawEllipse(spanned(shape)); break;
  case Arrow: {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1));
    const shotgeometry::Arrow a = shotgeometry::arrow(shape.p1(), shape.p2());
    drawTriangle(p, a.head);
    drawTriangle(p, a.shaft);
    break;
  }
  default: break;
  }
  p.restore();
}

void QSLabel::mousePressEvent(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton) return;
  m_start = m_end = e->pos();
  m_pressed = true;
}

void QSLabel::mouseMoveEvent(QMouseEvent *e) {
  if (m_tool != NoTool) setCursor(Qt::CrossCursor);
  if (!m_pressed) return;
  m_end = e->pos();
  if (m_tool == Pen) {
    m_pen.append(QLine(m_start, m_end)); // a free line is a chain of short segments
    m_start = m_end;
  }
  update();
}

void QSLabel::mouseReleaseEvent(QMouseEvent *e) {
  if (e->button() != Qt::LeftButton) return;
  m_pressed = false;
  m_end = e->pos();
  if (m_tool == Rectangle) m_rectangles.append(QLine(m_start, m_end));
  if (m_tool == Ellipse) m_ellipses.append(QLine(m_start, m_end));
  if (m_tool == Arrow) m_arrows.append(QLine(m_start, m_end));
  update();
}

void QSLabel::mouseDoubleClickEvent(QMouseEvent *) { emit doubleClick(); }

void QSLabel::keyPressEvent(QKeyEvent *e) {
  if (e->key() == Qt::Key_Escape) emit closeScreen();
  else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) emit finishShotScreen();
}

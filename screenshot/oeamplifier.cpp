#include "screenshot/oeamplifier.h"
#include "screenshot/shotgeometry.h"

#include <QPainter>

namespace {
constexpr QSize kBlock(30, 22);
const QColor kShade(0, 0, 0, 160);
const QColor kCrossHair(180, 255, 180);
} // namespace

OEAmplifier::OEAmplifier(const QImage &frozen, int side, int pictureHeight, QWidget *parent)
    : QWidget(parent), m_frozen(frozen), m_pictureHeight(pictureHeight) {
  setFixedSize(side, side);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void OEAmplifier::onSizeChange(int w, int h) {
  m_selection = QSize(w, h);
  update();
}

void OEAmplifier::onPostionChange(int x, int y) {
  m_pointer = QPoint(x, y);
  raise();
  const QSize window = parentWidget() ? parentWidget()->size() : m_frozen.size();
  move(shotgeometry::magnifierPosition(m_pointer, size(), window));
  update();
}

void OEAmplifier::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), kShade);
  paintBlock(p);
  paintText(p);
}

void OEAmplifier::paintBlock(QPainter &p) {
  const QRect block(m_pointer - QPoint(kBlock.width() / 2, kBlock.height() / 2), kBlock);
  const QRect picture(0, 0, width(), m_pictureHeight);
  const bool inside = block.left() > 0 && block.left() + kBlock.width() < m_frozen.width() &&
                      block.top() > 0 && block.top() + kBlock.height() < m_frozen.height();
  if (inside) {
    p.drawImage(picture, m_frozen.copy(block)); // no smoothing: each pixel stays a block
  } else {
    // Past a screen edge the block is shown as it is, unscaled and centred.
    const QImage part = m_frozen.copy(block);
    p.drawImage(picture.center() - QPoint(kBlock.width() / 2, kBlock.height() / 2), part);
  }
  p.setPen(QPen(kCrossHair, 2));
  p.drawLine(picture.center().x(), 0, picture.center().x(), m_pictureHeight);
  p.drawLine(0, picture.center().y(), width(), picture.center().y());
  p.setPen(QPen(Qt::white, 1));
  p.drawRect(picture.adjusted(0, 0, -1, -1));
}

void OEAmplifier::paintText(QPainter &p) {
  const QColor c = m_frozen.valid(m_pointer) ? m_frozen.pixelColor(m_pointer) : QColor(Qt::black);
  QFont f = font();
  f.setPixelSize(qMax(8, (height() - m_pictureHeight) / 2 - 2));
  p.setFont(f);
  p.setPen(Qt::white);
  const int line = (height() - m_pictureHeight) / 2;
  p.drawText(QRect(0, m_pictureHeight, width(), line), Qt::AlignCenter,
             QStringLiteral("%1 x %2").arg(m_selection.width()).arg(m_selection.height()));
  p.drawText(QRect(0, m_pictureHeight + line, width(), line), Qt::AlignCenter,
             QStringLiteral("RGB:(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue()));
}

#include "screenshot/oerect.h"
#include "screenshot/shotgeometry.h"

#include <QPainter>

namespace {
constexpr QSize kLabelSize(90, 22);
}

OERect::OERect(QWidget *parent) : QWidget(parent) {
  setFixedSize(kLabelSize);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void OERect::onSizeChange(int w, int h) {
  m_text = QStringLiteral("%1 x %2").arg(w).arg(h);
  update();
}

void OERect::onPostionChange(int x, int y) {
  move(shotgeometry::sizeLabelPosition(QPoint(x, y), height()));
  show();
  raise();
}

void OERect::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0, 0, 0, 160));
  p.setPen(Qt::white);
  p.drawText(rect(), Qt::AlignCenter, m_text);
}

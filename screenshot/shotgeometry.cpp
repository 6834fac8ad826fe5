#include "screenshot/shotgeometry.h"

#include <QtMath>
#include <cmath>

namespace shotgeometry {

namespace {
constexpr double kDesignWidth = 1920.0;
constexpr double kDesignHeight = 1080.0;
constexpr double kMagnifierSide = 122.0;
constexpr double kMagnifierPicture = 90.0;
constexpr double kHeadLength = 15.0;
constexpr double kHeadHalfWidth = 7.5;
constexpr double kShaftInset = 3.0; // the shaft's corners sit a third of the head length inside

int trunc(double v) { return int(v); } // toward zero, as the arrow's corners are computed
} // namespace

Scale Scale::forDesktop(const QSize &desktop) {
  return Scale{desktop.width() / kDesignWidth, desktop.height() / kDesignHeight};
}

int Scale::magnifierSide() const { return int(kMagnifierSide * horizontal); }

int Scale::magnifierPictureHeight() const { return int(kMagnifierPicture * vertical); }

Direction hitTest(const QPoint &p, const QSize &s) {
  const bool left = p.x() < kHandleMargin;
  const bool right = p.x() >= s.width() - kHandleMargin;
  const bool top = p.y() < kHandleMargin;
  const bool bottom = p.y() >= s.height() - kHandleMargin;
  if (top && left) return TopLeft;
  if (bottom && right) return BottomRight;
  if (bottom && left) return BottomLeft;
  if (top && right) return TopRight;
  if (left) return Left;
  if (right) return Right;
  if (top) return Top;
  if (bottom) return Bottom;
  return Inside;
}

QPoint anchorFor(Direction d, const QRect &r) {
  const QPoint bottomRight(r.x() + r.width(), r.y() + r.height());
  switch (d) {
  case Top:
  case TopLeft: return bottomRight;
  case Left:
  case BottomLeft: return QPoint(bottomRight.x(), r.y());
  case TopRight: return QPoint(r.x(), bottomRight.y());
  default: return r.topLeft();
  }
}

QRect resized(Direction d, const QRect &r, const QPoint &anchor, const QPoint &p) {
  switch (d) {
  case Top:
  case Bottom: {
    const QRect span = dragRect(anchor, p);
    return QRect(r.x(), span.y(), r.width(), span.height());
  }
  case Left:
  case Right: {
    const QRect span = dragRect(anchor, p);
    return QRect(span.x(), r.y(), span.width(), r.height());
  }
  case Inside: return r;
  default: return dragRect(anchor, p);
  }
}

QPoint controlBarPosition(const QRect &s, int screenHeight) {
  const int right = s.x() + s.width();
  const int bottom = s.y() + s.height();
  const int y = bottom > screenHeight - kBottomReserve ? bottom - kControlBarInside : bottom + kControlBarGap;
  return QPoint(right - kControlBarSize.width(), y);
}

QPoint magnifierPosition(const QPoint &p, const QSize &m, const QSize &window) {
  QPoint pos(p.x() + 4, p.y() + 26);
  if (pos.y() + m.height() > window.height()) pos.setY(p.y() - m.height() - 26);
  if (pos.x() + m.width() > window.width()) pos.setX(p.x() - m.width() - 4);
  return pos;
}

QPoint sizeLabelPosition(const QPoint &p, int labelHeight) {
  const int x = qMax(p.x(), 0);
  const int top = qMax(p.y(), 0);
  const int above = top - labelHeight - 1;
  return QPoint(x, above < 0 ? top : above);
}

QRect dragRect(const QPoint &a, const QPoint &b) {
  return QRect(qMin(a.x(), b.x()), qMin(a.y(), b.y()), qAbs(b.x() - a.x()), qAbs(b.y() - a.y()));
}

Arrow arrow(const QPoint &start, const QPoint &end) {
  const double a = std::atan2(double(end.y() - start.y()), double(end.x() - start.x()));
  const double c = std::cos(a);
  const double s = std::sin(a);
  const QPoint left = end + QPoint(trunc(-kHeadLength * c - kHeadHalfWidth * s),
                                   trunc(-kHeadLength * s + kHeadHalfWidth * c));
  const QPoint right = end + QPoint(trunc(-kHeadLength * c + kHeadHalfWidth * s),
                                    trunc(-kHeadLength * s - kHeadHalfWidth * c));
  const QPoint inward(trunc(kHeadLength * s / kShaftInset), -trunc(kHeadLength * c / kShaftInset));
  return Arrow{{end, left, right}, {start, left + inward, right - inward}};
}

QString defaultSaveName(const QDateTime &when) {
  return QStringLiteral("Tarnwick截图_") + when.toString(QStringLiteral("yyyy-MM-dd-HH-mm-ss"));
}

} // namespace shotgeometry

#pragma once
// The screenshot tool's placement rules and shapes, as plain functions of rectangles and
// points, so they can be checked without a screen.

#include <QDateTime>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>

namespace shotgeometry {

// Where the selection is being grabbed: the code of the hit test and what stays fixed.
enum Direction { Top = 0, Bottom, Left, Right, TopLeft, BottomLeft, BottomRight, TopRight, Inside };

constexpr int kHandleMargin = 6;
constexpr QSize kControlBarSize(260, 25);
constexpr int kControlBarGap = 6;     // below the selection
constexpr int kControlBarInside = 30; // above the selection's bottom, near the screen bottom
constexpr int kBottomReserve = 25;

// Sizes drawn by the tool follow the desktop, designed for 1920 × 1080.
struct Scale {
  double horizontal = 1.0;
  double vertical = 1.0;
  static Scale forDesktop(const QSize &desktop);
  int magnifierSide() const;       // 122 at 1920 wide
  int magnifierPictureHeight() const; // 90 at 1080 high
};

// Hit test of a point in selection coordinates; corners before edges.
Direction hitTest(const QPoint &p, const QSize &selection);
// The point kept fixed while resizing in direction d.
QPoint anchorFor(Direction d, const QRect &selection);
// The selection after the pointer moved to p while resizing in direction d from anchor.
QRect resized(Direction d, const QRect &selection, const QPoint &anchor, const QPoint &p);

// Top-left of the control bar for a selection on a screen of the given height.
QPoint controlBarPosition(const QRect &selection, int screenHeight);
// Top-left of the magnifier following pointer p inside a window of the given size.
QPoint magnifierPosition(const QPoint &p, const QSize &magnifier, const QSize &window);
// Top-left of the size label for a selection whose top-left is p.
QPoint sizeLabelPosition(const QPoint &p, int labelHeight);
// The rectangle spanned by the first press and the current pointer.
QRect dragRect(const QPoint &press, const QPoint &p);

// An arrow is two outlined triangles: the head at the end and a shaft narrowing to the start.
struct Arrow {
  std::array<QPoint, 3> head;
  std::array<QPoint, 3> shaft;
};
Arrow arrow(const QPoint &start, const QPoint &end);

// Default name offered by "保存" for a picture taken at the given local time.
QString defaultSaveName(const QDateTime &when);

} // namespace shotgeometry

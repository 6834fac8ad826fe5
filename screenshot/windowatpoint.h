#pragma once
// The top-most application window under a desktop point, for the screenshot tool's
// "take the window under the pointer". The tool's own windows are passed in to be skipped.

#include <QRect>
#include <QSet>
#include <QWidget>

namespace windowatpoint {
// Its rectangle in desktop coordinates; empty when only the desktop lies there.
QRect windowRectAt(const QPoint &global, const QSet<WId> &excluded);
} // namespace windowatpoint

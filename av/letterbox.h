#pragma once
// Letterboxing an upright picture into a view: black bars around the picture, scaled to keep
// its shape. The same placement serves the screen and the snapshots tests and screenshots read.

#include <QImage>
#include <QRect>

class QPainter;

// The picture's rectangle inside area, in area's pixels.
QRect letterboxRect(const QRect &area, const QSize &picture);

// Fills area: the picture in letterboxRect, black around it. Every pixel of area is painted.
void paintLetterboxed(QPainter &painter, const QRect &area, const QImage &picture);

// What a view of the given size shows, at the picture's resolution (canvasGeometry's canvas).
QImage letterboxed(const QSize &view, const QImage &picture);

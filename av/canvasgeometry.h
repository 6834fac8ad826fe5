#pragma once
// Where an upright picture goes inside the canvas painted over a view: the canvas has the
// view's shape at the picture's resolution, its width raised to a multiple of 4, and the
// picture sits in its centre with black bars around it.

#include <QSize>

struct CanvasGeometry {
  int width = 0;
  int height = 0;
  int x = 0; // the picture's offset inside the canvas
  int y = 0;
};

// A view without a size yet gets a canvas of the picture's own shape.
CanvasGeometry canvasGeometry(const QSize &view, const QSize &picture);

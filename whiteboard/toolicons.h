#pragma once
// Painted icons for the whiteboard's panels: light ink for the tool panel's dark translucent
// background, dark ink for the light page panel; sharp at any screen scale.

#include <QColor>
#include <QIcon>

namespace toolicons {

enum class Tool {
  Pen, Line, Shape, Eraser, Select, Clear, ClearDrawings, Upload, Background, AllBackgrounds,
  Undo, Redo, Copy, Remove
};

const QColor kLightInk(0xf2, 0xf2, 0xf2);
const QColor kDarkInk(0x44, 0x44, 0x44);

QIcon icon(Tool tool, const QColor &ink = kLightInk);

} // namespace toolicons

#pragma once
// Painted icons for the whiteboard's tool panel, drawn in the panel's light ink so that they
// read on its dark translucent background at any screen scale.

#include <QIcon>

namespace toolicons {

enum class Tool { Pen, Line, Shape, Eraser, Select, Clear, ClearDrawings, Upload, Background, AllBackgrounds };

QIcon icon(Tool tool);

} // namespace toolicons

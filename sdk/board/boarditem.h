#pragma once
// What a board holds: drawn items on a fixed logical canvas, a background colour and image.

#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>

#include <cstdint>
#include <string>
#include <vector>

namespace board {

// Tool codes of useTool; the drawing ones double as item shapes.
enum Tool : int { ToolNone = 0, ToolPen = 1, ToolEraser = 2, ToolSelect = 3, ToolLine = 4,
                  ToolEllipse = 5, ToolRectangle = 6 };

// Every board is drawn on this canvas and scaled to the render window.
constexpr int kCanvasWidth = 1600;
constexpr int kCanvasHeight = 900;
// Line widths are given in 1/10000 of the canvas height.
constexpr int kWidthUnits = 10000;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// The local drawing settings.
struct PenState {
  Tool tool = ToolNone;
  uint32_t color = 0x000000FFu;
  uint32_t width = 100;
  bool fill = false;
};

struct Item {
  std::string id;
  int shape = ToolPen; // ToolPen, ToolLine, ToolEllipse or ToolRectangle
  uint32_t color = 0x000000FFu; // RGBA, red in the top byte
  uint32_t width = 100;
  bool fill = false;
  QVector<QPoint> points; // pen: the stroke; other shapes: two corners
  bool visible = true;

  QRect bounds() const;
  double penWidth() const; // in canvas pixels
};

struct Board {
  std::string id;
  uint32_t background = kWhite;
  QString imageUrl;
  std::vector<Item> items;

  Item *find(const std::string &itemId);
};

} // namespace board

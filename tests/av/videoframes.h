#pragma once
// Test pictures for the video views: I420 and packed BGR24 frames built from a function of
// the pixel position, and the frame record that points at them.

#include "sdk/live/ilive.h"

#include <QByteArray>
#include <QColor>
#include <QImage>

#include <functional>

struct TestFrame {
  QByteArray bytes;
  QByteArray owner = "teacher";
  ilive::LiveVideoFrame frame;

  // The record, pointing at bytes (refreshed, so copies of a TestFrame stay valid).
  const ilive::LiveVideoFrame &live();
};

// Luma from f(x, y), neutral chroma: grey levels 16 (black) to 235 (white).
TestFrame i420Frame(int width, int height, const std::function<int(int x, int y)> &luma,
                    int rotation = 0);
TestFrame bgrFrame(int width, int height, const std::function<QRgb(int x, int y)> &colour,
                   int rotation = 0);

// Brightness of a pixel (the green channel; neutral grey keeps all three equal).
int level(const QImage &image, int x, int y);
// Luma 200 converted (about 214), told apart from bars (0) and mid grey (about 98).
inline bool isBrightLevel(int v) { return v > 180; }

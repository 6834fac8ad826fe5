#pragma once
// An upright picture ready to paint: 32-bit pixels, bytes blue, green, red, 255 (QImage's
// RGB32, which its painter scales several times faster than 24-bit pictures).
// Letterboxing is left to the painter: a portrait picture in a landscape view would otherwise
// carry up to three times its own bytes in black bars.

#include <cstddef>
#include <cstdint>
#include <vector>

struct VideoCanvas {
  std::vector<uint8_t> bytes;
  int width = 0;
  int height = 0;

  static constexpr int kBytesPerPixel = 4;

  int stride() const { return width * kBytesPerPixel; }
  bool isEmpty() const { return width <= 0 || height <= 0; }
  uint8_t *row(int y) { return bytes.data() + static_cast<std::size_t>(y) * stride(); }
  const uint8_t *row(int y) const { return bytes.data() + static_cast<std::size_t>(y) * stride(); }
};

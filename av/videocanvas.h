#pragma once
// A letterboxed picture ready to paint: packed BGR24, width a multiple of 4 pixels, rows of
// exactly 3 × width bytes. The byte vector keeps a little slack after the last row because
// libswscale's vector code may store a few bytes past the end of a row it writes.

#include <cstddef>
#include <cstdint>
#include <vector>

struct VideoCanvas {
  static constexpr int kSlack = 64;

  std::vector<uint8_t> bytes;
  int width = 0;
  int height = 0;
  // The picture rectangle whose surroundings are already black; -1 when nothing is known.
  // Frames of a steady stream land in the same place, so their bars need no repainting.
  int barsX = -1;
  int barsY = -1;
  int barsWidth = -1;
  int barsHeight = -1;

  int stride() const { return width * 3; }
  bool isEmpty() const { return width <= 0 || height <= 0; }
  uint8_t *row(int y) { return bytes.data() + static_cast<std::size_t>(y) * stride(); }
  const uint8_t *row(int y) const { return bytes.data() + static_cast<std::size_t>(y) * stride(); }
};

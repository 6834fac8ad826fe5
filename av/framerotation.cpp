#include "av/framerotation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

inline void copyPixel(const uint8_t *src, uint8_t *dst) {
  dst[0] = src[0];
  dst[1] = src[1];
  dst[2] = src[2];
}

// Output row r is source column r (or width - 1 - r), read bottom to top (or top to bottom).
// Walked in small square blocks so that the column reads stay in cache.
void columnsToRows(const uint8_t *src, int srcStride, int width, int height, bool bottomUp,
                   bool lastColumnFirst, uint8_t *dst, int dstStride) {
  constexpr int kBlock = 32;
  for (int r0 = 0; r0 < width; r0 += kBlock) {
    const int r1 = std::min(r0 + kBlock, width);
    for (int c0 = 0; c0 < height; c0 += kBlock) {
      const int c1 = std::min(c0 + kBlock, height);
      for (int r = r0; r < r1; ++r) {
        const int column = lastColumnFirst ? width - 1 - r : r;
        uint8_t *out = dst + static_cast<std::ptrdiff_t>(r) * dstStride;
        for (int c = c0; c < c1; ++c) {
          const int row = bottomUp ? height - 1 - c : c;
          copyPixel(src + static_cast<std::ptrdiff_t>(row) * srcStride + column * 3, out + c * 3);
        }
      }
    }
  }
}

void halfTurn(const uint8_t *src, int srcStride, int width, int height, uint8_t *dst, int dstStride) {
  for (int r = 0; r < height; ++r) {
    const uint8_t *in = src + static_cast<std::ptrdiff_t>(height - 1 - r) * srcStride;
    uint8_t *out = dst + static_cast<std::ptrdiff_t>(r) * dstStride;
    for (int c = 0; c < width; ++c)
      copyPixel(in + (width - 1 - c) * 3, out + c * 3);
  }
}

} // namespace

void rotatePacked24(const uint8_t *src, int srcStride, int width, int height, int rotation,
                    uint8_t *dst, int dstStride) {
  switch (rotation) {
  case 1: columnsToRows(src, srcStride, width, height, true, false, dst, dstStride); break;
  case 2: halfTurn(src, srcStride, width, height, dst, dstStride); break;
  case 3: columnsToRows(src, srcStride, width, height, false, true, dst, dstStride); break;
  default:
    for (int r = 0; r < height; ++r)
      std::memcpy(dst + static_cast<std::ptrdiff_t>(r) * dstStride, src + static_cast<std::ptrdiff_t>(r) * srcStride,
                  static_cast<size_t>(width) * 3);
  }
}

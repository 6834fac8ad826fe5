#include "av/framerotation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

template <int N> inline void copyPixel(const uint8_t *src, uint8_t *dst) {
  for (int i = 0; i < N; ++i)
    dst[i] = src[i];
}

// Output row r is source column r (or width - 1 - r), read bottom to top (or top to bottom).
// Walked in small square blocks so that the column reads stay in cache.
template <int N>
void columnsToRows(const uint8_t *src, int srcStride, int width, int height, bool bottomUp,
                   bool lastColumnFirst, uint8_t *dst, int dstStride) {
  constexpr int kBlock = 32;
  for (int r0 = 0; r0 < width; r0 += kBlock) {
    const int r1 = std::min(r0 + kBlock, width);
    for (int c0 = 0; c0 < height; c0 += kBlock) {
      const int c1 = std::min(c0 + kBlock, height);
      for (int r = r0; r < r1; ++r) {
        const int column = lastColumnFirst ? width - 1 - r : r;
        const std::ptrdiff_t step = bottomUp ? -srcStride : srcStride;
        const uint8_t *in = src + static_cast<std::ptrdiff_t>(bottomUp ? height - 1 - c0 : c0) * srcStride + column * N;
        uint8_t *out = dst + static_cast<std::ptrdiff_t>(r) * dstStride + c0 * N;
        for (int c = c0; c < c1; ++c, in += step, out += N)
          copyPixel<N>(in, out);
      }
    }
  }
}

template <int N> void halfTurn(const uint8_t *src, int srcStride, int width, int height, uint8_t *dst, int dstStride) {
  for (int r = 0; r < height; ++r) {
    const uint8_t *in = src + static_cast<std::ptrdiff_t>(height - 1 - r) * srcStride + (width - 1) * N;
    uint8_t *out = dst + static_cast<std::ptrdiff_t>(r) * dstStride;
    for (int c = 0; c < width; ++c, in -= N, out += N)
      copyPixel<N>(in, out);
  }
}

template <int N>
void rotate(const uint8_t *src, int srcStride, int width, int height, int rotation, uint8_t *dst, int dstStride) {
  switch (rotation) {
  case 1: columnsToRows<N>(src, srcStride, width, height, true, false, dst, dstStride); break;
  case 2: halfTurn<N>(src, srcStride, width, height, dst, dstStride); break;
  case 3: columnsToRows<N>(src, srcStride, width, height, false, true, dst, dstStride); break;
  default:
    for (int r = 0; r < height; ++r)
      std::memcpy(dst + static_cast<std::ptrdiff_t>(r) * dstStride, src + static_cast<std::ptrdiff_t>(r) * srcStride,
                  static_cast<std::size_t>(width) * N);
  }
}

} // namespace

void rotatePlane(const uint8_t *src, int srcStride, int width, int height, int rotation, uint8_t *dst,
                 int dstStride, int bytesPerPixel) {
  if (bytesPerPixel == 1)
    rotate<1>(src, srcStride, width, height, rotation, dst, dstStride);
  else
    rotate<3>(src, srcStride, width, height, rotation, dst, dstStride);
}

#include "av/planetranspose.h"

#include "av/avx2transpose.h"

#include <cstddef>

#include <libyuv/rotate.h>

namespace {

constexpr int kBlockCols = 16; // source columns of a block: destination rows
constexpr int kBlockRows = 32; // source rows of a block: bytes of each destination row

#if TARNWICK_HAS_AVX2_TRANSPOSE

// Rows i and i + 16 of a block share a register, one per lane, so that a destination row
// comes out as one 32-byte register.
TARNWICK_AVX2 void transposeBlock(const uint8_t *src, std::ptrdiff_t srcStride, uint8_t *dst,
                                  std::ptrdiff_t dstStride) {
  __m256i rows[16];
  __m256i cols[16];
  _Pragma("GCC unroll 16") for (int i = 0; i < 16; ++i)
    rows[i] = twoRows(src + i * srcStride, src + (i + 16) * srcStride);
  transposeBytes16x16(rows, cols);
  _Pragma("GCC unroll 16") for (int c = 0; c < 16; ++c)
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + c * dstStride), cols[c]);
}

#endif

} // namespace

void transposePlane(const uint8_t *src, int srcStride, uint8_t *dst, int dstStride, int width, int height) {
#if TARNWICK_HAS_AVX2_TRANSPOSE
  if (hasAvx2()) {
    const int fullCols = width / kBlockCols * kBlockCols;
    const int fullRows = height / kBlockRows * kBlockRows;
    // Row blocks outside, so that the column blocks of one band of rows read cache lines the
    // band before has just brought in.
    for (int r = 0; r < fullRows; r += kBlockRows)
      for (int c = 0; c < fullCols; c += kBlockCols)
        transposeBlock(src + static_cast<std::ptrdiff_t>(r) * srcStride + c, srcStride,
                       dst + static_cast<std::ptrdiff_t>(c) * dstStride + r, dstStride);
    if (fullCols > 0 && fullRows < height)
      libyuv::TransposePlane(src + static_cast<std::ptrdiff_t>(fullRows) * srcStride, srcStride, dst + fullRows,
                             dstStride, fullCols, height - fullRows);
    if (fullCols < width)
      libyuv::TransposePlane(src + fullCols, srcStride, dst + static_cast<std::ptrdiff_t>(fullCols) * dstStride,
                             dstStride, width - fullCols, height);
    return;
  }
#endif
  libyuv::TransposePlane(src, srcStride, dst, dstStride, width, height);
}

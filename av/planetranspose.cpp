#include "av/planetranspose.h"

#include <cstddef>

#include <libyuv/cpu_id.h>
#include <libyuv/rotate.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define PLANETRANSPOSE_AVX2 1
#else
#define PLANETRANSPOSE_AVX2 0
#endif

namespace {

constexpr int kBlockCols = 16; // source columns of a block: destination rows
constexpr int kBlockRows = 32; // source rows of a block: bytes of each destination row

#if PLANETRANSPOSE_AVX2

// Rows i and i + 16 of a block share a register, one per 128-bit lane: the unpacks work within
// lanes, so each lane is transposed as a 16 × 16 block of its own and a destination row comes out
// as one 32-byte register. The loops are unrolled by force: left as loops, the arrays live on
// the stack and every stage goes through memory, which made the block more than twice as slow.
__attribute__((target("avx2"))) void transposeBlock(const uint8_t *src, std::ptrdiff_t srcStride, uint8_t *dst,
                                                    std::ptrdiff_t dstStride) {
  __m256i r[16];
  __m256i t[16];
  _Pragma("GCC unroll 16") for (int i = 0; i < 16; ++i) {
    const __m128i upper = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i * srcStride));
    const __m128i lower = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + (i + 16) * srcStride));
    r[i] = _mm256_inserti128_si256(_mm256_castsi128_si256(upper), lower, 1);
  }
  _Pragma("GCC unroll 16") for (int i = 0; i < 8; ++i) { // byte pairs of two rows
    t[2 * i] = _mm256_unpacklo_epi8(r[2 * i], r[2 * i + 1]);
    t[2 * i + 1] = _mm256_unpackhi_epi8(r[2 * i], r[2 * i + 1]);
  }
  _Pragma("GCC unroll 16") for (int g = 0; g < 4; ++g) { // columns of four rows
    r[4 * g] = _mm256_unpacklo_epi16(t[4 * g], t[4 * g + 2]);
    r[4 * g + 1] = _mm256_unpackhi_epi16(t[4 * g], t[4 * g + 2]);
    r[4 * g + 2] = _mm256_unpacklo_epi16(t[4 * g + 1], t[4 * g + 3]);
    r[4 * g + 3] = _mm256_unpackhi_epi16(t[4 * g + 1], t[4 * g + 3]);
  }
  _Pragma("GCC unroll 16") for (int h = 0; h < 2; ++h) // pairs of columns of eight rows
    _Pragma("GCC unroll 16") for (int q = 0; q < 4; ++q) {
      t[8 * h + 2 * q] = _mm256_unpacklo_epi32(r[8 * h + q], r[8 * h + 4 + q]);
      t[8 * h + 2 * q + 1] = _mm256_unpackhi_epi32(r[8 * h + q], r[8 * h + 4 + q]);
    }
  _Pragma("GCC unroll 16") for (int m = 0; m < 8; ++m) { // whole columns
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + 2 * m * dstStride), _mm256_unpacklo_epi64(t[m], t[8 + m]));
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + (2 * m + 1) * dstStride),
                        _mm256_unpackhi_epi64(t[m], t[8 + m]));
  }
}

bool hasAvx2() { return libyuv::TestCpuFlag(libyuv::kCpuHasAVX2) != 0; }

#endif

} // namespace

void transposePlane(const uint8_t *src, int srcStride, uint8_t *dst, int dstStride, int width, int height) {
#if PLANETRANSPOSE_AVX2
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

#pragma once
// Transposes in AVX2 registers for the turning of frames, with the loads and the processor
// check they go with. The unpacks work within 128-bit lanes, so each lane is transposed as a
// block of its own: a register holds one row of two blocks, one per lane, and comes out
// holding one column of both. Only for functions marked TARNWICK_AVX2, called after hasAvx2().

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#include <libyuv/cpu_id.h>

#define TARNWICK_HAS_AVX2_TRANSPOSE 1
#define TARNWICK_AVX2 __attribute__((target("avx2")))

inline bool hasAvx2() { return libyuv::TestCpuFlag(libyuv::kCpuHasAVX2) != 0; }

// 16 bytes of one row in the low lane and 16 of another in the high lane.
TARNWICK_AVX2 inline __m256i twoRows(const uint8_t *low, const uint8_t *high) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(low))),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i *>(high)), 1);
}

// rows[i]: row i of two 8 × 8 blocks of 16-bit words; cols[c]: their column c. The loops are
// unrolled by force: left as loops, the arrays live on the stack and every stage goes through
// memory, which made a block more than twice as slow.
TARNWICK_AVX2 inline void transposeWords8x8(const __m256i rows[8], __m256i cols[8]) {
  __m256i t[8];
  __m256i u[8];
  _Pragma("GCC unroll 8") for (int i = 0; i < 4; ++i) { // word pairs of two rows
    t[2 * i] = _mm256_unpacklo_epi16(rows[2 * i], rows[2 * i + 1]);
    t[2 * i + 1] = _mm256_unpackhi_epi16(rows[2 * i], rows[2 * i + 1]);
  }
  _Pragma("GCC unroll 8") for (int h = 0; h < 2; ++h) { // columns of four rows
    u[4 * h] = _mm256_unpacklo_epi32(t[4 * h], t[4 * h + 2]);
    u[4 * h + 1] = _mm256_unpackhi_epi32(t[4 * h], t[4 * h + 2]);
    u[4 * h + 2] = _mm256_unpacklo_epi32(t[4 * h + 1], t[4 * h + 3]);
    u[4 * h + 3] = _mm256_unpackhi_epi32(t[4 * h + 1], t[4 * h + 3]);
  }
  _Pragma("GCC unroll 8") for (int q = 0; q < 4; ++q) { // whole columns
    cols[2 * q] = _mm256_unpacklo_epi64(u[q], u[4 + q]);
    cols[2 * q + 1] = _mm256_unpackhi_epi64(u[q], u[4 + q]);
  }
}

// rows[i]: row i of two 16 × 16 byte blocks; cols[c]: their column c. Interleaving the bytes
// of each pair of rows makes two 8 × 8 blocks of 16-bit words, one of columns 0-7 and one of
// columns 8-15, whose columns are the byte columns.
TARNWICK_AVX2 inline void transposeBytes16x16(const __m256i rows[16], __m256i cols[16]) {
  __m256i low[8];
  __m256i high[8];
  _Pragma("GCC unroll 8") for (int i = 0; i < 8; ++i) {
    low[i] = _mm256_unpacklo_epi8(rows[2 * i], rows[2 * i + 1]);
    high[i] = _mm256_unpackhi_epi8(rows[2 * i], rows[2 * i + 1]);
  }
  transposeWords8x8(low, cols);
  transposeWords8x8(high, cols + 8);
}

#else
#define TARNWICK_HAS_AVX2_TRANSPOSE 0
#endif

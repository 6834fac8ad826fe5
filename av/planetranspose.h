#pragma once
// Transposes a plane of bytes: row k of dst is column k of src (dst has width rows of height
// bytes). A negative stride reads or writes bottom up, which turns the transpose into a quarter
// turn either way. Where the processor has AVX2, blocks of 32 rows by 16 columns are transposed
// in registers, about three times as fast as libyuv's transpose; the edges, and processors
// without AVX2, use libyuv's.

#include <cstdint>

void transposePlane(const uint8_t *src, int srcStride, uint8_t *dst, int dstStride, int width, int height);

#pragma once
// Converts an I420 frame that arrives a quarter turned (rotation 1 or 3) into upright 32-bit
// pixels in one pass. Each 32 × 32 tile of the upright picture is transposed from the frame's
// planes in registers, straight into the order in which the converter widens, weights and
// interleaves its pixels, so the turn needs no pass through memory and fewer shuffles than
// turning the planes and converting with libyuv. The colours are those of libyuv's
// I420ToARGB to the bit: its BT.601 constants and its arithmetic.
// Needs AVX2 and an upright picture of at least 32 × 32; the last column and row of an odd
// picture go through libyuv's converter one line at a time.

#include <cstddef>
#include <cstdint>

struct TurnedI420 {
  const uint8_t *planes[3]; // Y, U and V as the frame arrives
  int strides[3];
  int width; // of the frame as it arrives
  int height;
  int rotation; // 1: upright row r is column r read bottom up; 3: column width - 1 - r top down
};

// Whether convertQuarterTurn takes an upright picture of this size on this processor.
bool convertsQuarterTurn(int uprightW, int uprightH);

// Bytes of scratch convertQuarterTurn needs for the odd lines of such a picture.
size_t quarterTurnScratchBytes(int uprightW, int uprightH);

// The whole upright picture into dst (rows dstStride bytes apart).
void convertQuarterTurn(const TurnedI420 &in, uint8_t *dst, std::ptrdiff_t dstStride, uint8_t *scratch);

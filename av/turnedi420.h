#pragma once
// Converts an I420 frame that arrives turned (rotation 1, 2 or 3) into upright 32-bit pixels in
// one pass. The planes are turned in registers, straight into the order in which the converter
// widens, weights and interleaves its pixels: a quarter turn transposes 32 × 32 tiles, a half
// turn mirrors 32 pixels of a row with two byte shuffles. So the turn needs no pass through
// memory and fewer shuffles than turning the planes and converting with libyuv. The colours
// are those of libyuv's I420ToARGB to the bit: its BT.601 constants and its arithmetic.
// Needs AVX2 and an upright picture of at least 32 × 32; the last column and row of an odd
// picture go through libyuv's converter a line at a time.

#include <cstddef>
#include <cstdint>

struct TurnedI420 {
  const uint8_t *planes[3]; // Y, U and V as the frame arrives
  int strides[3];
  int width; // of the frame as it arrives
  int height;
  int rotation; // quarter turns that bring it upright, 1 to 3, as ilive::LiveVideoFrame::rotate
};

// Whether convertTurnedI420 takes an upright picture of this size on this processor.
bool convertsTurnedI420(int uprightW, int uprightH);

// Bytes of scratch convertTurnedI420 needs for the odd lines of such a picture.
size_t turnedI420ScratchBytes(int uprightW, int uprightH);

// The whole upright picture into dst (rows dstStride bytes apart).
void convertTurnedI420(const TurnedI420 &in, uint8_t *dst, std::ptrdiff_t dstStride, uint8_t *scratch);

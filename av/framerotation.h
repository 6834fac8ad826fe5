#pragma once
// Turns a picture plane upright: 1 byte a pixel (a plane of I420) or 3 (packed 24-bit).
// Rotation 0 copies, 1 turns 90° clockwise (each output row is a source column read bottom to
// top), 2 turns 180°, 3 turns 90° counter-clockwise (each output row is a source column read
// top to bottom, the last column first); a w × h source gives h × w for 1 and 3.

#include <cstdint>

void rotatePlane(const uint8_t *src, int srcStride, int width, int height, int rotation, uint8_t *dst,
                 int dstStride, int bytesPerPixel);

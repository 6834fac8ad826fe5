#pragma once
// Turns a packed 24-bit picture upright. Rotation 0 copies, 1 turns 90° clockwise, 2 turns
// 180°, 3 turns 90° counter-clockwise; a w × h source gives h × w for 1 and 3.

#include <cstdint>

void rotatePacked24(const uint8_t *src, int srcStride, int width, int height, int rotation,
                    uint8_t *dst, int dstStride);

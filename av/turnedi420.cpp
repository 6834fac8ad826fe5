#include "av/turnedi420.h"

#include "av/avx2transpose.h"

#include <algorithm>

#include <libyuv/convert_argb.h>
#include <libyuv/row.h>

namespace {

constexpr int kTile = 32;          // upright pixels on each side of a tile
constexpr int kChromaTile = kTile / 2;
constexpr int kBytesPerPixel = 4;

// The scratch of the odd lines: a line's Y, U and V bytes, then its 32-bit pixels.
size_t lineBytes(int longest) { return 2 * static_cast<size_t>(longest) + 2; }

// One plane of the frame as it arrives, read turned. Upright pixel (x, r) of the plane is
// source (column r, row h - 1 - x) for rotation 1, (column w - 1 - x, row h - 1 - r) for
// rotation 2 and (column w - 1 - r, row x) for rotation 3; each plane is turned on its own, as
// the upright I420 picture would be.
struct Walk {
  const uint8_t *data;
  std::ptrdiff_t stride;
  int w;
  int h;
  int rotation;

  // Quarter turns: the source row that holds upright column x, at the leftmost source column
  // of the n upright rows from r0.
  const uint8_t *line(int x, int r0, int n) const {
    return rotation == 1 ? data + (h - 1 - x) * stride + r0 : data + x * stride + (w - n - r0);
  }
  std::ptrdiff_t step() const { return rotation == 1 ? -stride : stride; }
  // Half turn: the source byte of upright pixel x + n - 1 of upright row r, the first of n that
  // run right to left.
  const uint8_t *mirrored(int x, int r, int n) const { return data + (h - 1 - r) * stride + (w - n - x); }
  uint8_t at(int x, int r) const {
    switch (rotation) {
    case 1:
      return data[(h - 1 - x) * stride + r];
    case 2:
      return data[(h - 1 - r) * stride + (w - 1 - x)];
    default:
      return data[x * stride + (w - 1 - r)];
    }
  }
  // Quarter turns: the source row's columns run with upright rows for rotation 1, against them
  // for rotation 3.
  int uprightRow(int r0, int n, int column) const { return rotation == 1 ? r0 + column : r0 + n - 1 - column; }
};

struct Walks {
  explicit Walks(const TurnedI420 &in)
      : y{in.planes[0], in.strides[0], in.width, in.height, in.rotation},
        u{in.planes[1], in.strides[1], (in.width + 1) / 2, (in.height + 1) / 2, in.rotation},
        v{in.planes[2], in.strides[2], (in.width + 1) / 2, (in.height + 1) / 2, in.rotation} {}
  Walk y, u, v;
};

// One line of the upright picture gathered byte by byte and converted by libyuv: the last
// column or row of an odd picture, which the tiles, two pixels wide in chroma, do not reach.
// alongRows: the line is upright column x = index; otherwise upright row r = index.
void convertLine(const Walks &in, int length, bool alongRows, int index, uint8_t *argb, uint8_t *scratch) {
  const int chromaLength = (length + 1) / 2;
  uint8_t *y = scratch;
  uint8_t *u = y + length;
  uint8_t *v = u + chromaLength;
  for (int i = 0; i < length; ++i)
    y[i] = alongRows ? in.y.at(index, i) : in.y.at(i, index);
  for (int i = 0; i < chromaLength; ++i) {
    u[i] = alongRows ? in.u.at(index / 2, i) : in.u.at(i, index / 2);
    v[i] = alongRows ? in.v.at(index / 2, i) : in.v.at(i, index / 2);
  }
  libyuv::I420ToARGB(y, length, u, chromaLength, v, chromaLength, argb, length * kBytesPerPixel, length, 1);
}

#if TARNWICK_HAS_AVX2_TRANSPOSE

// The pixel each byte of a tile's luma row holds. The converter widens bytes 0-7 and 16-23 to
// 16 bits in one register and bytes 8-15 and 24-31 in another, and its stores take four pixels
// from each lane in turn; so the groups of four pixels come in the order 0 2 4 6 | 1 3 5 7.
constexpr int kPixelAt[kTile] = {0, 1,  2,  3,  8,  9,  10, 11, 16, 17, 18, 19, 24, 25, 26, 27,
                                 4, 5,  6,  7,  12, 13, 14, 15, 20, 21, 22, 23, 28, 29, 30, 31};
// The chroma sample of each (u, v) pair of a tile's chroma row: doubled lane by lane, the pairs
// meet the pixels of kPixelAt.
constexpr int kChromaAt[kChromaTile] = {0, 1, 4, 5, 8, 9, 12, 13, 2, 3, 6, 7, 10, 11, 14, 15};

// libyuv's I420ToARGB coefficients and the constants of its arithmetic.
struct Coefficients {
  __m256i uvToB, uvToG, uvToR, yToRgb, yBias, chromaZero, opaque;
};

TARNWICK_AVX2 inline __m256i load32(const void *p) { return _mm256_loadu_si256(static_cast<const __m256i *>(p)); }

TARNWICK_AVX2 Coefficients coefficients() {
  const libyuv::YuvConstants &c = libyuv::kYuvI601Constants;
  return {load32(c.kUVToB),       load32(c.kUVToG),     load32(c.kUVToR), load32(c.kYToRgb), load32(c.kYBiasToRgb),
          _mm256_set1_epi8(-128), _mm256_set1_epi8(-1)};
}

// Each chroma row's share of blue, green and red, for the two registers of a luma row.
struct ChromaTerms {
  __m256i b[2], g[2], r[2];
};

TARNWICK_AVX2 inline ChromaTerms chromaTerms(__m256i uv, const Coefficients &k) {
  const __m256i centred = _mm256_sub_epi8(uv, k.chromaZero);
  const __m256i pairs[2] = {_mm256_unpacklo_epi16(centred, centred), _mm256_unpackhi_epi16(centred, centred)};
  ChromaTerms t;
  for (int i = 0; i < 2; ++i) {
    t.b[i] = _mm256_maddubs_epi16(k.uvToB, pairs[i]);
    t.g[i] = _mm256_maddubs_epi16(k.uvToG, pairs[i]);
    t.r[i] = _mm256_maddubs_epi16(k.uvToR, pairs[i]);
  }
  return t;
}

TARNWICK_AVX2 inline __m256i channel(__m256i first, __m256i second) {
  return _mm256_packus_epi16(_mm256_srai_epi16(first, 6), _mm256_srai_epi16(second, 6));
}

// 32 pixels of one upright row, their bytes in kPixelAt order, into 128 bytes at dst.
TARNWICK_AVX2 inline void convertRow(__m256i luma, const ChromaTerms &t, const Coefficients &k, uint8_t *dst) {
  __m256i y[2] = {_mm256_unpacklo_epi8(luma, luma), _mm256_unpackhi_epi8(luma, luma)};
  for (__m256i &v : y)
    v = _mm256_add_epi16(_mm256_mulhi_epu16(v, k.yToRgb), k.yBias);
  const __m256i b = channel(_mm256_adds_epi16(t.b[0], y[0]), _mm256_adds_epi16(t.b[1], y[1]));
  const __m256i g = channel(_mm256_subs_epi16(y[0], t.g[0]), _mm256_subs_epi16(y[1], t.g[1]));
  const __m256i r = channel(_mm256_adds_epi16(t.r[0], y[0]), _mm256_adds_epi16(t.r[1], y[1]));
  const __m256i bg[2] = {_mm256_unpacklo_epi8(b, g), _mm256_unpackhi_epi8(b, g)};
  const __m256i ra[2] = {_mm256_unpacklo_epi8(r, k.opaque), _mm256_unpackhi_epi8(r, k.opaque)};
  for (int i = 0; i < 2; ++i) {
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + 64 * i), _mm256_unpacklo_epi16(bg[i], ra[i]));
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(dst + 64 * i + 32), _mm256_unpackhi_epi16(bg[i], ra[i]));
  }
}

// Where each byte of a tile row comes from, relative to the tile's first source row.
struct Offsets {
  explicit Offsets(const Walks &in) {
    for (int i = 0; i < kTile; ++i)
      luma[i] = kPixelAt[i] * in.y.step();
    for (int i = 0; i < kChromaTile; ++i)
      chroma[i] = kChromaAt[i] * in.u.step();
  }
  std::ptrdiff_t luma[kTile];
  std::ptrdiff_t chroma[kChromaTile];
};

// The tile's 16 source columns of (u, v) pairs from column 0, each a chroma row of the tile.
TARNWICK_AVX2 void chromaColumns(const Walks &in, const Offsets &o, int cx0, int cr0, __m256i cols[kChromaTile]) {
  const uint8_t *u = in.u.line(cx0, cr0, kChromaTile);
  const uint8_t *v = in.v.line(cx0, cr0, kChromaTile);
  __m256i pairs[2][8];
  _Pragma("GCC unroll 8") for (int q = 0; q < 8; ++q) {
    const __m256i us = twoRows(u + o.chroma[q], u + o.chroma[q + 8]);
    const __m256i vs = twoRows(v + o.chroma[q], v + o.chroma[q + 8]);
    pairs[0][q] = _mm256_unpacklo_epi8(us, vs);
    pairs[1][q] = _mm256_unpackhi_epi8(us, vs);
  }
  transposeWords8x8(pairs[0], cols);
  transposeWords8x8(pairs[1], cols + 8);
}

// Source columns 16 × half to 16 × half + 15 of the tile's luma, each an upright row.
TARNWICK_AVX2 void lumaColumns(const uint8_t *first, const Offsets &o, int half, __m256i cols[16]) {
  __m256i rows[16];
  first += 16 * half;
  _Pragma("GCC unroll 16") for (int q = 0; q < 16; ++q) rows[q] = twoRows(first + o.luma[q], first + o.luma[q + 16]);
  transposeBytes16x16(rows, cols);
}

// Source column c of the luma pairs with chroma column c / 2 in either turn: both planes are
// read the same way round.
TARNWICK_AVX2 void convertTile(const Walks &in, const Offsets &o, const Coefficients &k, int x0, int r0, uint8_t *dst,
                               std::ptrdiff_t dstStride) {
  __m256i chroma[kChromaTile];
  chromaColumns(in, o, x0 / 2, r0 / 2, chroma);
  const uint8_t *first = in.y.line(x0, r0, kTile);
  uint8_t *left = dst + static_cast<std::ptrdiff_t>(x0) * kBytesPerPixel;
  for (int half = 0; half < 2; ++half) {
    __m256i luma[16];
    lumaColumns(first, o, half, luma);
    for (int pair = 0; pair < 8; ++pair) {
      const ChromaTerms t = chromaTerms(chroma[8 * half + pair], k);
      for (int c = 2 * pair; c < 2 * pair + 2; ++c)
        convertRow(luma[c], t, k, left + in.y.uprightRow(r0, kTile, 16 * half + c) * dstStride);
    }
  }
}

// Tile origins along a side: every kTile pixels, the last one pulled back to end at the side
// (overlapping its neighbour, which it writes alike).
int nextOrigin(int origin, int side) { return origin + kTile >= side ? side : std::min(origin + kTile, side - kTile); }

TARNWICK_AVX2 void convertQuarterTurn(const Walks &in, int evenW, int evenH, uint8_t *dst, std::ptrdiff_t dstStride) {
  const Offsets offsets(in);
  const Coefficients k = coefficients();
  // Down the upright columns of tiles, so that each band of 32 source rows is read from start
  // to end: some 5 % faster than along the upright rows.
  for (int x0 = 0; x0 < evenW; x0 = nextOrigin(x0, evenW))
    for (int r0 = 0; r0 < evenH; r0 = nextOrigin(r0, evenH))
      convertTile(in, offsets, k, x0, r0, dst, dstStride);
}

// Byte shuffles that mirror a run of source bytes into kPixelAt order. A half turn reads the 32
// pixels from x0 as 32 source bytes, the last pixel first; each half of them is broadcast to
// both lanes and shuffled into the bytes that come from it (the others zeroed).
struct MirrorShuffles {
  uint8_t luma[2][kTile];  // from source bytes 0-15 (pixels 31-16), from bytes 16-31 (pixels 15-0)
  uint8_t chroma[kTile];   // 16 source bytes of a chroma row into kChromaAt order, per lane
};

constexpr uint8_t kZeroByte = 0x80;

constexpr MirrorShuffles mirrorShuffles() {
  MirrorShuffles m{};
  for (int p = 0; p < kTile; ++p) {
    const int pixel = kPixelAt[p];
    m.luma[0][p] = pixel >= 16 ? static_cast<uint8_t>(kTile - 1 - pixel) : kZeroByte;
    m.luma[1][p] = pixel < 16 ? static_cast<uint8_t>(15 - pixel) : kZeroByte;
    const int lane = p / 16;
    const int i = p % 16;
    m.chroma[p] = i < 8 ? static_cast<uint8_t>(kChromaTile - 1 - kChromaAt[8 * lane + i]) : kZeroByte;
  }
  return m;
}

constexpr MirrorShuffles kMirror = mirrorShuffles();

TARNWICK_AVX2 inline __m256i bothLanes(const uint8_t *p) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)));
}

TARNWICK_AVX2 inline __m256i mirroredLuma(const uint8_t *first, const __m256i shuffles[2]) {
  return _mm256_or_si256(_mm256_shuffle_epi8(bothLanes(first), shuffles[0]),
                         _mm256_shuffle_epi8(bothLanes(first + 16), shuffles[1]));
}

// (u, v) pairs of 16 chroma samples from their mirrored source bytes, one lane of kChromaAt each.
TARNWICK_AVX2 inline __m256i mirroredChroma(const uint8_t *u, const uint8_t *v, __m256i shuffle) {
  return _mm256_unpacklo_epi8(_mm256_shuffle_epi8(bothLanes(u), shuffle), _mm256_shuffle_epi8(bothLanes(v), shuffle));
}

TARNWICK_AVX2 void convertHalfTurn(const Walks &in, int evenW, int evenH, uint8_t *dst, std::ptrdiff_t dstStride) {
  const Coefficients k = coefficients();
  const __m256i luma[2] = {load32(kMirror.luma[0]), load32(kMirror.luma[1])};
  const __m256i chroma = load32(kMirror.chroma);
  for (int r = 0; r < evenH; r += 2) {
    uint8_t *row = dst + r * dstStride;
    for (int x0 = 0; x0 < evenW; x0 = nextOrigin(x0, evenW)) {
      const ChromaTerms t = chromaTerms(
          mirroredChroma(in.u.mirrored(x0 / 2, r / 2, kChromaTile), in.v.mirrored(x0 / 2, r / 2, kChromaTile), chroma),
          k);
      uint8_t *out = row + static_cast<std::ptrdiff_t>(x0) * kBytesPerPixel;
      convertRow(mirroredLuma(in.y.mirrored(x0, r, kTile), luma), t, k, out);
      convertRow(mirroredLuma(in.y.mirrored(x0, r + 1, kTile), luma), t, k, out + dstStride);
    }
  }
}

#endif

} // namespace

bool convertsTurnedI420(int uprightW, int uprightH) {
#if TARNWICK_HAS_AVX2_TRANSPOSE
  return uprightW >= kTile && uprightH >= kTile && hasAvx2();
#else
  (void)uprightW;
  (void)uprightH;
  return false;
#endif
}

size_t turnedI420ScratchBytes(int uprightW, int uprightH) {
  const int longest = std::max(uprightW, uprightH);
  return lineBytes(longest) + static_cast<size_t>(longest) * kBytesPerPixel;
}

void convertTurnedI420(const TurnedI420 &in, uint8_t *dst, std::ptrdiff_t dstStride, uint8_t *scratch) {
#if TARNWICK_HAS_AVX2_TRANSPOSE
  const Walks walks(in);
  const bool sideways = in.rotation % 2 == 1;
  const int uprightW = sideways ? in.height : in.width;
  const int uprightH = sideways ? in.width : in.height;
  if (sideways)
    convertQuarterTurn(walks, uprightW & ~1, uprightH & ~1, dst, dstStride);
  else
    convertHalfTurn(walks, uprightW & ~1, uprightH & ~1, dst, dstStride);
  uint8_t *const lineArgb = scratch + lineBytes(std::max(uprightW, uprightH));
  if (uprightW % 2 == 1) {
    convertLine(walks, uprightH, true, uprightW - 1, lineArgb, scratch);
    for (int r = 0; r < uprightH; ++r)
      std::copy_n(lineArgb + r * kBytesPerPixel, kBytesPerPixel,
                  dst + r * dstStride + static_cast<std::ptrdiff_t>(uprightW - 1) * kBytesPerPixel);
  }
  if (uprightH % 2 == 1)
    convertLine(walks, uprightW, false, uprightH - 1, dst + (uprightH - 1) * dstStride, scratch);
#else
  (void)in;
  (void)dst;
  (void)dstStride;
  (void)scratch;
#endif
}

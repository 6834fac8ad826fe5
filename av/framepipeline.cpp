#include "av/framepipeline.h"

#include "av/framerotation.h"
#include "av/planetranspose.h"
#include "av/turnedi420.h"

#include <QDebug>

#include <algorithm>

#include <libyuv/convert_argb.h>
#include <libyuv/planar_functions.h>

namespace {

constexpr int kPackedBytesPerPixel = 3; // BGR24 frames as they arrive
// Rows of the upright picture turned at a time: even, so that chroma strips are whole, and as
// many as the bytes of a cache line, so that each line of the frame is read once.
constexpr int kStripRows = 64;

void resizeCanvas(VideoCanvas &canvas, int width, int height) {
  canvas.width = width;
  canvas.height = height;
  const size_t wanted = static_cast<size_t>(canvas.stride()) * height;
  if (canvas.bytes.size() != wanted)
    canvas.bytes.resize(wanted);
}

// The planes of an I420 picture: full-size Y, then U and V at half size rounded up, each row
// lumaStride or chromaStride bytes apart.
struct I420Planes {
  I420Planes(const uint8_t *base, int width, int height)
      : I420Planes(base, height, width, (width + 1) / 2) {}
  I420Planes(const uint8_t *base, int height, int lumaStride, int chromaStride) {
    planes[0] = base;
    planes[1] = base + static_cast<size_t>(lumaStride) * height;
    planes[2] = planes[1] + static_cast<size_t>(chromaStride) * ((height + 1) / 2);
    strides[0] = lumaStride;
    strides[1] = chromaStride;
    strides[2] = chromaStride;
  }
  const uint8_t *planes[3];
  int strides[3];
};

// The scratch strip's rows start on cache lines: the transpose stores 32 bytes at a time at
// multiples of 32 into them, and a store that straddles two lines costs two.
constexpr int kLine = 64;
int lineStride(int bytes) { return (bytes + kLine - 1) / kLine * kLine; }

I420Planes stripPlanes(const uint8_t *base, int uprightW) {
  return {base, kStripRows, lineStride(uprightW), lineStride((uprightW + 1) / 2)};
}

size_t stripBytes(int uprightW) {
  return static_cast<size_t>(lineStride(uprightW)) * kStripRows +
         2 * static_cast<size_t>(lineStride((uprightW + 1) / 2)) * (kStripRows / 2) + kLine;
}

// libyuv's conversion, BT.601 limited range as libswscale's default, beat libswscale at every
// size we measured: by 10-20 % at even widths and some thirty times at odd ones, which
// libswscale's vector converter does not take.
void convertI420(const I420Planes &in, int width, int height, uint8_t *dst, int dstStride) {
  libyuv::I420ToARGB(in.planes[0], in.strides[0], in.planes[1], in.strides[1], in.planes[2], in.strides[2], dst,
                     dstStride, width, height);
}

// One plane of a picture as it arrives.
struct Plane {
  const uint8_t *data;
  int stride;
  int width;
  int height;
};

// Rows [first, first + count) of the plane turned upright by rotation (1, 2 or 3), into dst.
// The transpose writes row i of dst from column i of its source.
void turnedRows(const Plane &p, int rotation, int first, int count, uint8_t *dst, int dstStride) {
  const std::ptrdiff_t stride = p.stride;
  const uint8_t *bottom = p.data + (p.height - 1) * stride;
  switch (rotation) {
  case 1: // row r is column r, read bottom to top
    transposePlane(bottom + first, -p.stride, dst, dstStride, count, p.height);
    break;
  case 3: // row r is column width - 1 - r, read top to bottom: written last row first
    transposePlane(p.data + (p.width - first - count), p.stride, dst + (count - 1) * std::ptrdiff_t(dstStride),
                   -dstStride, count, p.height);
    break;
  default: // row r is row height - 1 - r, mirrored
    libyuv::MirrorPlane(bottom - first * stride, -p.stride, dst, dstStride, p.width, count);
  }
}

} // namespace

qint64 FramePipeline::i420Size(int width, int height) {
  const qint64 chroma = static_cast<qint64>((width + 1) / 2) * ((height + 1) / 2);
  return static_cast<qint64>(width) * height + 2 * chroma;
}

bool FramePipeline::acceptable(const ilive::LiveVideoFrame &frame) {
  if (!frame.data || frame.dataSize == 0 || frame.rotate > 3)
    return false;
  const int w = static_cast<int>(frame.width);
  const int h = static_cast<int>(frame.height);
  if (w <= 0 || h <= 0)
    return false;
  const qint64 expected = frame.colorFormat == ilive::COLOR_FORMAT_I420
                              ? i420Size(w, h)
                              : static_cast<qint64>(w) * h * kPackedBytesPerPixel;
  return static_cast<qint64>(frame.dataSize) == expected;
}

// A new width, height or rotation chooses how a turned frame is turned and sizes its scratch
// (a strip it passes through, or the odd lines of a turn in registers; none for upright
// frames), so that a steady stream allocates nothing.
void FramePipeline::ensureConverter(int width, int height, int rotation) {
  if (m_builds > 0 && width == m_width && height == m_height && rotation == m_rotation)
    return;
  m_width = width;
  m_height = height;
  m_rotation = rotation;
  const bool sideways = rotation % 2 == 1;
  const int uprightW = sideways ? height : width;
  const int uprightH = sideways ? width : height;
  m_inTiles = rotation != 0 && m_turning == Turning::Best && convertsTurnedI420(uprightW, uprightH);
  m_turned.resize(rotation == 0 ? 0 : m_inTiles ? turnedI420ScratchBytes(uprightW, uprightH) : stripBytes(uprightW));
  qDebug().nospace() << "InitPlay, width:" << width << ",height:" << height;
  ++m_builds;
}

// Turns and converts a sideways or upside-down I420 frame a strip of rows at a time: each
// strip of the upright picture is turned from the frame's planes into a small scratch buffer
// that stays in cache, and converted from there while it is still warm. Turning the whole frame
// first cost nearly as much as the conversion for a 720p frame, most of it cache misses on the
// transposed writes.
void FramePipeline::convertTurned(const ilive::LiveVideoFrame &frame, int uprightW, int uprightH, uint8_t *dst,
                                  int dstStride) {
  const int w = static_cast<int>(frame.width);
  const int h = static_cast<int>(frame.height);
  const int rotation = static_cast<int>(frame.rotate);
  const I420Planes in(frame.data, w, h);
  const int chromaW = (w + 1) / 2;
  const int chromaH = (h + 1) / 2;
  const int uprightChromaH = (uprightH + 1) / 2;
  // The strip is an I420 picture of kStripRows rows (sized by ensureConverter): written here by
  // plane, read by the converter.
  uint8_t *const base = m_turned.data() + (kLine - reinterpret_cast<uintptr_t>(m_turned.data()) % kLine) % kLine;
  const I420Planes strip = stripPlanes(base, uprightW);
  uint8_t *const written[3] = {base, base + (strip.planes[1] - base), base + (strip.planes[2] - base)};
  for (int first = 0; first < uprightH; first += kStripRows) {
    const int rows = std::min(kStripRows, uprightH - first);
    const int chromaFirst = first / 2;
    const int chromaRows = std::min(kStripRows / 2, uprightChromaH - chromaFirst);
    turnedRows({in.planes[0], in.strides[0], w, h}, rotation, first, rows, written[0], strip.strides[0]);
    turnedRows({in.planes[1], in.strides[1], chromaW, chromaH}, rotation, chromaFirst, chromaRows, written[1],
               strip.strides[1]);
    turnedRows({in.planes[2], in.strides[2], chromaW, chromaH}, rotation, chromaFirst, chromaRows, written[2],
               strip.strides[2]);
    convertI420(strip, uprightW, rows, dst + static_cast<std::ptrdiff_t>(first) * dstStride, dstStride);
  }
}

// A packed BGR24 frame: turned upright as it is (scratch only when it needs turning), then
// given its alpha.
void FramePipeline::placePacked(const ilive::LiveVideoFrame &frame, int uprightW, int uprightH, uint8_t *dst,
                                int dstStride) {
  const int w = static_cast<int>(frame.width);
  const int h = static_cast<int>(frame.height);
  const int rotation = static_cast<int>(frame.rotate);
  const uint8_t *upright = frame.data;
  if (rotation != 0) {
    const size_t wanted = static_cast<size_t>(w) * h * kPackedBytesPerPixel;
    if (m_packed.size() != wanted)
      m_packed.resize(wanted);
    rotatePlane(frame.data, w * kPackedBytesPerPixel, w, h, rotation, m_packed.data(),
                uprightW * kPackedBytesPerPixel, kPackedBytesPerPixel);
    upright = m_packed.data();
  }
  libyuv::RGB24ToARGB(upright, uprightW * kPackedBytesPerPixel, dst, dstStride, uprightW, uprightH);
}

// Converted or packed pixels into the canvas at dst. An upright I420 frame is converted
// straight into the canvas; a turned one is turned in its planes (half the bytes of turning
// the converted picture) on its way into the converter: in registers where it can, which costs
// about as much as the upright conversion, else strip by strip.
void FramePipeline::place(const ilive::LiveVideoFrame &frame, int uprightW, int uprightH, uint8_t *dst,
                          int dstStride) {
  const int w = static_cast<int>(frame.width);
  const int h = static_cast<int>(frame.height);
  const int rotation = static_cast<int>(frame.rotate);
  if (frame.colorFormat != ilive::COLOR_FORMAT_I420) {
    placePacked(frame, uprightW, uprightH, dst, dstStride);
    return;
  }
  ensureConverter(w, h, rotation);
  if (rotation == 0) {
    convertI420(I420Planes(frame.data, w, h), w, h, dst, dstStride);
    return;
  }
  if (m_inTiles) {
    const I420Planes in(frame.data, w, h);
    const TurnedI420 turned{{in.planes[0], in.planes[1], in.planes[2]}, {in.strides[0], in.strides[1], in.strides[2]},
                            w, h, rotation};
    convertTurnedI420(turned, dst, dstStride, m_turned.data());
    return;
  }
  convertTurned(frame, uprightW, uprightH, dst, dstStride);
}

bool FramePipeline::render(const ilive::LiveVideoFrame &frame, VideoCanvas &canvas) {
  if (!acceptable(frame))
    return false;
  const bool sideways = frame.rotate % 2 == 1;
  const int uprightW = static_cast<int>(sideways ? frame.height : frame.width);
  const int uprightH = static_cast<int>(sideways ? frame.width : frame.height);
  resizeCanvas(canvas, uprightW, uprightH);
  place(frame, uprightW, uprightH, canvas.row(0), canvas.stride());
  return true;
}

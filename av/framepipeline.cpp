#include "av/framepipeline.h"

#include "av/canvasgeometry.h"
#include "av/framerotation.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

#include <libyuv/planar_functions.h>
#include <libyuv/rotate.h>

extern "C" {
#include <libswscale/swscale.h>
}

namespace {

constexpr int kBytesPerPixel = 3;
constexpr int kSwsFlags = SWS_BICUBIC;

void resizeCanvas(VideoCanvas &canvas, const CanvasGeometry &g) {
  if (canvas.width != g.width || canvas.height != g.height)
    canvas.barsX = -1;
  canvas.width = g.width;
  canvas.height = g.height;
  const size_t wanted = static_cast<size_t>(canvas.stride()) * g.height + VideoCanvas::kSlack;
  if (canvas.bytes.size() != wanted) {
    canvas.bytes.resize(wanted);
    canvas.barsX = -1;
  }
}

bool barsKnown(const VideoCanvas &canvas, const CanvasGeometry &g, int w, int h) {
  return canvas.barsX == g.x && canvas.barsY == g.y && canvas.barsWidth == w && canvas.barsHeight == h;
}

// Blacks out everything around the picture; done after drawing so that bytes the converter
// wrote past a row's end land in bars that are cleared here. When the bars are already black
// from an earlier frame in the same place, only the bytes the converter may have spilt past
// each row are cleared: repainting whole bars cost more than the conversion for a portrait
// picture in a landscape view.
void paintBars(VideoCanvas &canvas, const CanvasGeometry &g, int w, int h) {
  const size_t stride = static_cast<size_t>(canvas.stride());
  const size_t left = static_cast<size_t>(g.x) * kBytesPerPixel;
  const size_t rightStart = static_cast<size_t>(g.x + w) * kBytesPerPixel;
  if (barsKnown(canvas, g, w, h)) {
    const size_t spill = std::min<size_t>(VideoCanvas::kSlack, stride - rightStart + left);
    for (int r = g.y; r < g.y + h; ++r)
      std::memset(canvas.row(r) + rightStart, 0, spill);
    return;
  }
  std::memset(canvas.row(0), 0, stride * g.y);
  std::memset(canvas.row(g.y + h), 0, stride * (g.height - g.y - h) + VideoCanvas::kSlack);
  for (int r = g.y; r < g.y + h; ++r) {
    uint8_t *row = canvas.row(r);
    std::memset(row, 0, left);
    std::memset(row + rightStart, 0, stride - rightStart);
  }
  canvas.barsX = g.x;
  canvas.barsY = g.y;
  canvas.barsWidth = w;
  canvas.barsHeight = h;
}

// The planes of an unpadded I420 picture: full-size Y, then U and V at half size rounded up.
struct I420Planes {
  I420Planes(const uint8_t *base, int width, int height) {
    const int chromaW = (width + 1) / 2;
    planes[0] = base;
    planes[1] = base + static_cast<size_t>(width) * height;
    planes[2] = planes[1] + static_cast<size_t>(chromaW) * ((height + 1) / 2);
    strides[0] = width;
    strides[1] = chromaW;
    strides[2] = chromaW;
  }
  const uint8_t *planes[3];
  int strides[3];
};

} // namespace

FramePipeline::~FramePipeline() { sws_freeContext(m_context); }

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
                              : static_cast<qint64>(w) * h * kBytesPerPixel;
  return static_cast<qint64>(frame.dataSize) == expected;
}

// The context converts the upright picture, so it depends on the rotation too.
void FramePipeline::ensureConverter(int width, int height, int rotation) {
  if (m_context && width == m_width && height == m_height && rotation == m_rotation)
    return;
  m_width = width;
  m_height = height;
  m_rotation = rotation;
  if (m_context) {
    sws_freeContext(m_context);
    qDebug() << "sws_freeContext(img_convert_ctx);";
  }
  const bool sideways = rotation % 2 == 1;
  const int uprightW = sideways ? height : width;
  const int uprightH = sideways ? width : height;
  qDebug() << "sws_getContext before";
  m_context = sws_getContext(uprightW, uprightH, AV_PIX_FMT_YUV420P, uprightW, uprightH, AV_PIX_FMT_BGR24,
                             kSwsFlags, nullptr, nullptr, nullptr);
  qDebug() << "sws_getContext after";
  qDebug().nospace() << "InitPlay, width:" << width << ",height:" << height;
  ++m_builds;
}

// Converts an unpadded I420 picture at base into dst.
bool FramePipeline::convert(const uint8_t *base, int width, int height, uint8_t *dst, int dstStride) {
  if (!m_context)
    return false;
  const I420Planes in(base, width, height);
  uint8_t *const out[1] = {dst};
  const int outStride[1] = {dstStride};
  return sws_scale(m_context, in.planes, in.strides, 0, height, out, outStride) == height;
}

// Turns the three planes of an I420 frame into m_turned, an I420 picture of the upright size,
// with libyuv's vector code (its transposes are several times faster than a byte loop). The
// half turn is a mirror written bottom up: libyuv's own half turn takes a row buffer from the
// heap on every call.
void FramePipeline::turnPlanes(const ilive::LiveVideoFrame &frame, int uprightW, int uprightH) {
  const int w = static_cast<int>(frame.width);
  const int h = static_cast<int>(frame.height);
  const size_t wanted = static_cast<size_t>(i420Size(w, h));
  if (m_turned.size() != wanted)
    m_turned.resize(wanted);
  const I420Planes in(frame.data, w, h);
  const I420Planes out(m_turned.data(), uprightW, uprightH);
  uint8_t *y = const_cast<uint8_t *>(out.planes[0]);
  uint8_t *u = const_cast<uint8_t *>(out.planes[1]);
  uint8_t *v = const_cast<uint8_t *>(out.planes[2]);
  if (frame.rotate == 2) {
    libyuv::I420Mirror(in.planes[0], in.strides[0], in.planes[1], in.strides[1], in.planes[2], in.strides[2], y,
                       out.strides[0], u, out.strides[1], v, out.strides[2], w, -h);
    return;
  }
  const libyuv::RotationMode mode = frame.rotate == 1 ? libyuv::kRotate90 : libyuv::kRotate270;
  libyuv::I420Rotate(in.planes[0], in.strides[0], in.planes[1], in.strides[1], in.planes[2], in.strides[2], y,
                     out.strides[0], u, out.strides[1], v, out.strides[2], w, h, mode);
}

// Converted or packed pixels into the canvas at dst. An upright I420 frame is converted
// straight into the canvas; a turned one is turned plane by plane first, which moves half the
// bytes that turning the converted picture would.
void FramePipeline::place(const ilive::LiveVideoFrame &frame, int uprightW, int uprightH, uint8_t *dst,
                          int dstStride) {
  const int w = static_cast<int>(frame.width);
  const int h = static_cast<int>(frame.height);
  const int rotation = static_cast<int>(frame.rotate);
  if (frame.colorFormat != ilive::COLOR_FORMAT_I420) {
    rotatePlane(frame.data, w * kBytesPerPixel, w, h, rotation, dst, dstStride, kBytesPerPixel);
    return;
  }
  ensureConverter(w, h, rotation);
  if (rotation == 0) {
    convert(frame.data, w, h, dst, dstStride);
    return;
  }
  turnPlanes(frame, uprightW, uprightH);
  convert(m_turned.data(), uprightW, uprightH, dst, dstStride);
}

bool FramePipeline::render(const ilive::LiveVideoFrame &frame, const QSize &view, VideoCanvas &canvas) {
  if (!acceptable(frame))
    return false;
  const bool sideways = frame.rotate % 2 == 1;
  const int uprightW = static_cast<int>(sideways ? frame.height : frame.width);
  const int uprightH = static_cast<int>(sideways ? frame.width : frame.height);
  const CanvasGeometry g = canvasGeometry(view, QSize(uprightW, uprightH));
  resizeCanvas(canvas, g);
  place(frame, uprightW, uprightH, canvas.row(g.y) + static_cast<size_t>(g.x) * kBytesPerPixel, canvas.stride());
  paintBars(canvas, g, uprightW, uprightH);
  return true;
}

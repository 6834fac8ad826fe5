#include "av/framepipeline.h"

#include "av/canvasgeometry.h"
#include "av/framerotation.h"

#include <QDebug>

#include <cstring>

extern "C" {
#include <libswscale/swscale.h>
}

namespace {

constexpr int kBytesPerPixel = 3;
constexpr int kSwsFlags = SWS_BICUBIC;

void resizeCanvas(VideoCanvas &canvas, const CanvasGeometry &g) {
  canvas.width = g.width;
  canvas.height = g.height;
  const size_t wanted = static_cast<size_t>(canvas.stride()) * g.height + VideoCanvas::kSlack;
  if (canvas.bytes.size() != wanted)
    canvas.bytes.resize(wanted);
}

// Blacks out everything around the picture; done after drawing so that bytes the converter
// wrote past a row's end land in bars that are cleared here.
void paintBars(VideoCanvas &canvas, const CanvasGeometry &g, int w, int h) {
  const size_t stride = static_cast<size_t>(canvas.stride());
  std::memset(canvas.row(0), 0, stride * g.y);
  std::memset(canvas.row(g.y + h), 0, stride * (g.height - g.y - h) + VideoCanvas::kSlack);
  const size_t left = static_cast<size_t>(g.x) * kBytesPerPixel;
  const size_t rightStart = static_cast<size_t>(g.x + w) * kBytesPerPixel;
  for (int r = g.y; r < g.y + h; ++r) {
    uint8_t *row = canvas.row(r);
    std::memset(row, 0, left);
    std::memset(row + rightStart, 0, stride - rightStart);
  }
}

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
  qDebug() << "sws_getContext before";
  m_context = sws_getContext(width, height, AV_PIX_FMT_YUV420P, width, height, AV_PIX_FMT_BGR24,
                             kSwsFlags, nullptr, nullptr, nullptr);
  qDebug() << "sws_getContext after";
  qDebug().nospace() << "InitPlay, width:" << width << ",height:" << height;
  ++m_builds;
}

bool FramePipeline::convert(const ilive::LiveVideoFrame &frame, uint8_t *dst, int dstStride) {
  const int w = static_cast<int>(frame.width);
  const int h = static_cast<int>(frame.height);
  ensureConverter(w, h, static_cast<int>(frame.rotate));
  if (!m_context)
    return false;
  // Exact plane strides: the frame's rows are unpadded, whatever its width.
  const int chromaW = (w + 1) / 2;
  const uint8_t *y = frame.data;
  const uint8_t *u = y + static_cast<size_t>(w) * h;
  const uint8_t *v = u + static_cast<size_t>(chromaW) * ((h + 1) / 2);
  const uint8_t *const src[3] = {y, u, v};
  const int srcStride[3] = {w, chromaW, chromaW};
  uint8_t *const out[1] = {dst};
  const int outStride[1] = {dstStride};
  return sws_scale(m_context, src, srcStride, 0, h, out, outStride) == h;
}

// Converted or packed pixels into the canvas at dst. An upright I420 frame is converted
// straight into the canvas; a turned one goes through one scratch picture.
void FramePipeline::place(const ilive::LiveVideoFrame &frame, uint8_t *dst, int dstStride) {
  const int w = static_cast<int>(frame.width);
  const int h = static_cast<int>(frame.height);
  const int rotation = static_cast<int>(frame.rotate);
  const int packedStride = w * kBytesPerPixel;
  if (frame.colorFormat != ilive::COLOR_FORMAT_I420) {
    rotatePacked24(frame.data, packedStride, w, h, rotation, dst, dstStride);
    return;
  }
  if (rotation == 0) {
    convert(frame, dst, dstStride);
    return;
  }
  const size_t wanted = static_cast<size_t>(packedStride) * h + VideoCanvas::kSlack;
  if (m_turned.size() != wanted)
    m_turned.resize(wanted);
  if (convert(frame, m_turned.data(), packedStride))
    rotatePacked24(m_turned.data(), packedStride, w, h, rotation, dst, dstStride);
}

bool FramePipeline::render(const ilive::LiveVideoFrame &frame, const QSize &view, VideoCanvas &canvas) {
  if (!acceptable(frame))
    return false;
  const bool sideways = frame.rotate % 2 == 1;
  const int uprightW = static_cast<int>(sideways ? frame.height : frame.width);
  const int uprightH = static_cast<int>(sideways ? frame.width : frame.height);
  const CanvasGeometry g = canvasGeometry(view, QSize(uprightW, uprightH));
  resizeCanvas(canvas, g);
  place(frame, canvas.row(g.y) + static_cast<size_t>(g.x) * kBytesPerPixel, canvas.stride());
  paintBars(canvas, g, uprightW, uprightH);
  return true;
}

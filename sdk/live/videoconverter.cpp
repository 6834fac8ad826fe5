#include "sdk/live/videoconverter.h"

#include "protocol/mediaframe.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace ilivesdk {

namespace {

void i420Planes(const uchar *base, int width, int height, const uint8_t *planes[3], int strides[3]) {
  const int cw = (width + 1) / 2;
  const int ch = (height + 1) / 2;
  planes[0] = base;
  planes[1] = base + width * height;
  planes[2] = planes[1] + cw * ch;
  strides[0] = width;
  strides[1] = cw;
  strides[2] = cw;
}

// The largest size within limit with the picture's shape, sides even for I420.
QSize fitWithin(int width, int height, const QSize &limit) {
  QSize out(width, height);
  if (limit.isValid() && (width > limit.width() || height > limit.height()))
    out.scale(limit, Qt::KeepAspectRatio);
  return QSize(qMax(2, out.width() & ~1), qMax(2, out.height() & ~1));
}

} // namespace

VideoConverter::~VideoConverter() {
  sws_freeContext(m_context);
  sws_freeContext(m_toI420);
}

const QByteArray &VideoConverter::toBgr24(const QByteArray &i420, int width, int height) {
  if (width <= 0 || height <= 0 || i420.size() != hubproto::i420Size(width, height)) {
    m_out.clear();
    return m_out;
  }
  if (!m_context || width != m_width || height != m_height) {
    sws_freeContext(m_context);
    m_context = sws_getContext(width, height, AV_PIX_FMT_YUV420P, width, height, AV_PIX_FMT_BGR24,
                               SWS_BILINEAR, nullptr, nullptr, nullptr);
    m_width = width;
    m_height = height;
    m_out.resize(width * height * 3);
    ++m_contextsMade;
  }
  const uint8_t *src[3];
  int srcStride[3];
  i420Planes(reinterpret_cast<const uchar *>(i420.constData()), width, height, src, srcStride);
  uint8_t *dst[1] = {reinterpret_cast<uint8_t *>(m_out.data())};
  int dstStride[1] = {width * 3};
  if (!m_context || sws_scale(m_context, src, srcStride, 0, height, dst, dstStride) != height)
    m_out.fill('\0');
  return m_out;
}

QByteArray VideoConverter::toI420(const uchar *const planes[4], const int strides[4], int avPixelFormat,
                                  int width, int height, const QSize &limit, QSize *outSize) {
  if (width <= 0 || height <= 0)
    return QByteArray();
  const QSize in(width, height);
  if (!m_toI420 || avPixelFormat != m_inFormat || in != m_inSize) {
    sws_freeContext(m_toI420);
    m_inFormat = avPixelFormat;
    m_inSize = in;
    m_i420Size = fitWithin(width, height, limit);
    m_toI420 = sws_getContext(width, height, static_cast<AVPixelFormat>(avPixelFormat), m_i420Size.width(),
                              m_i420Size.height(), AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    ++m_contextsMade;
  }
  if (!m_toI420)
    return QByteArray();
  const int ow = m_i420Size.width();
  const int oh = m_i420Size.height();
  QByteArray out(hubproto::i420Size(ow, oh), Qt::Uninitialized);
  const uint8_t *dstPlanes[3];
  int dstStrides[3];
  i420Planes(reinterpret_cast<const uchar *>(out.data()), ow, oh, dstPlanes, dstStrides);
  uint8_t *dst[3] = {const_cast<uint8_t *>(dstPlanes[0]), const_cast<uint8_t *>(dstPlanes[1]),
                     const_cast<uint8_t *>(dstPlanes[2])};
  if (sws_scale(m_toI420, planes, strides, 0, height, dst, dstStrides) != oh)
    return QByteArray();
  if (outSize)
    *outSize = m_i420Size;
  return out;
}

} // namespace ilivesdk

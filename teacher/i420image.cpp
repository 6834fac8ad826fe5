#include "teacher/i420image.h"

#include "protocol/mediaframe.h"

#include <QImage>

namespace i420image {

namespace {

// Offsets keep the sums positive, so the shifts round down without signed shifts.
uchar lumaOf(int r, int g, int b) { return static_cast<uchar>(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16); }
uchar blueDiff(int r, int g, int b) { return static_cast<uchar>((-38 * r - 74 * g + 112 * b + 128 + (128 << 8)) >> 8); }
uchar redDiff(int r, int g, int b) { return static_cast<uchar>((112 * r - 94 * g - 18 * b + 128 + (128 << 8)) >> 8); }

} // namespace

QByteArray fromImage(const QImage &source) {
  const QImage image = source.convertToFormat(QImage::Format_RGB32);
  const int w = image.width();
  const int h = image.height();
  if (w <= 0 || h <= 0)
    return QByteArray();
  const int cw = (w + 1) / 2;
  const int ch = (h + 1) / 2;
  QByteArray out(hubproto::i420Size(w, h), '\0');
  uchar *y = reinterpret_cast<uchar *>(out.data());
  uchar *u = y + w * h;
  uchar *v = u + cw * ch;
  for (int row = 0; row < h; ++row) {
    const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(row));
    for (int col = 0; col < w; ++col)
      y[row * w + col] = lumaOf(qRed(line[col]), qGreen(line[col]), qBlue(line[col]));
  }
  for (int crow = 0; crow < ch; ++crow) {
    for (int ccol = 0; ccol < cw; ++ccol) {
      int r = 0, g = 0, b = 0, n = 0;
      for (int dy = 0; dy < 2 && crow * 2 + dy < h; ++dy) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(crow * 2 + dy));
        for (int dx = 0; dx < 2 && ccol * 2 + dx < w; ++dx) {
          const QRgb p = line[ccol * 2 + dx];
          r += qRed(p);
          g += qGreen(p);
          b += qBlue(p);
          ++n;
        }
      }
      u[crow * cw + ccol] = blueDiff(r / n, g / n, b / n);
      v[crow * cw + ccol] = redDiff(r / n, g / n, b / n);
    }
  }
  return out;
}

} // namespace i420image

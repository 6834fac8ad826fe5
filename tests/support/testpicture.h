#pragma once
// A small one-colour PNG for tests, made the way the screenshot tool encodes its pictures.

#include <QBuffer>
#include <QImage>

namespace testpicture {
inline QByteArray png(const QSize &size, const QColor &fill) {
  QImage img(size, QImage::Format_RGB32);
  img.fill(fill);
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  img.save(&buffer, "PNG");
  return out;
}
} // namespace testpicture

#include "videoframes.h"

const ilive::LiveVideoFrame &TestFrame::live() {
  frame.identifier = owner.constData();
  frame.data = reinterpret_cast<const uint8_t *>(bytes.constData());
  frame.dataSize = static_cast<uint32_t>(bytes.size());
  return frame;
}

namespace {

void describe(TestFrame &t, ilive::ColorFormat format, int width, int height, int rotation) {
  t.frame.colorFormat = format;
  t.frame.width = static_cast<uint32_t>(width);
  t.frame.height = static_cast<uint32_t>(height);
  t.frame.rotate = static_cast<uint32_t>(rotation);
  t.live();
}

} // namespace

TestFrame i420Frame(int width, int height, const std::function<int(int x, int y)> &luma, int rotation) {
  TestFrame t;
  const int chroma = ((width + 1) / 2) * ((height + 1) / 2);
  t.bytes = QByteArray(width * height + 2 * chroma, char(128));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      t.bytes[y * width + x] = char(luma(x, y));
  describe(t, ilive::COLOR_FORMAT_I420, width, height, rotation);
  return t;
}

TestFrame bgrFrame(int width, int height, const std::function<QRgb(int x, int y)> &colour, int rotation) {
  TestFrame t;
  t.bytes.resize(width * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const QRgb c = colour(x, y);
      char *p = t.bytes.data() + (y * width + x) * 3;
      p[0] = char(qBlue(c));
      p[1] = char(qGreen(c));
      p[2] = char(qRed(c));
    }
  describe(t, ilive::COLOR_FORMAT_BGR24, width, height, rotation);
  return t;
}

int level(const QImage &image, int x, int y) { return qGreen(image.pixel(x, y)); }

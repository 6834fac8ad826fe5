// The media-thread path of the video views without a widget: turned frames against a
// reference turned plane by plane with the plain byte loop, and the letterboxing the painter
// does around a canvas.

#include "av/framepipeline.h"
#include "av/framerotation.h"
#include "av/letterbox.h"
#include "av/planetranspose.h"

#include <libyuv/cpu_id.h>

#include <QPainter>
#include <QtTest>

#include <cstring>
#include <random>
#include <utility>

namespace {

struct I420 {
  int width, height;
  QByteArray bytes;
  int chromaW() const { return (width + 1) / 2; }
  int chromaH() const { return (height + 1) / 2; }
  uint8_t *plane(int i) {
    auto *base = reinterpret_cast<uint8_t *>(bytes.data());
    return base + (i == 0 ? 0 : width * height + (i - 1) * chromaW() * chromaH());
  }
  ilive::LiveVideoFrame frame(int rotation) {
    ilive::LiveVideoFrame f;
    f.identifier = "t";
    f.colorFormat = ilive::COLOR_FORMAT_I420;
    f.width = static_cast<uint32_t>(width);
    f.height = static_cast<uint32_t>(height);
    f.rotate = static_cast<uint32_t>(rotation);
    f.data = reinterpret_cast<uint8_t *>(bytes.data());
    f.dataSize = static_cast<uint32_t>(bytes.size());
    return f;
  }
};

I420 blank(int width, int height) {
  I420 p{width, height, {}};
  p.bytes.resize(static_cast<int>(FramePipeline::i420Size(width, height)));
  return p;
}

// Every byte differs from its neighbours in both directions, and chroma is far from neutral,
// so a swapped plane, a shifted row or a lost strip changes the colours.
I420 patterned(int width, int height) {
  I420 p = blank(width, height);
  for (int i = 0; i < p.bytes.size(); ++i)
    p.bytes[i] = static_cast<char>((i * 37 + i / width * 11 + (i >> 9)) & 0xff);
  return p;
}

I420 noisy(int width, int height) {
  I420 p = blank(width, height);
  std::mt19937 random(static_cast<unsigned>(width * 7919 + height));
  for (char &c : p.bytes)
    c = static_cast<char>(random() & 0xff);
  return p;
}

// The source turned upright by the byte loop, one plane at a time.
I420 turnedByLoop(I420 &src, int rotation) {
  const bool sideways = rotation % 2 == 1;
  I420 out = blank(sideways ? src.height : src.width, sideways ? src.width : src.height);
  for (int i = 0; i < 3; ++i) {
    const int w = i == 0 ? src.width : src.chromaW();
    const int h = i == 0 ? src.height : src.chromaH();
    const int outStride = i == 0 ? out.width : out.chromaW();
    rotatePlane(src.plane(i), w, w, h, rotation, out.plane(i), outStride, 1);
  }
  return out;
}

QByteArray pictureBytes(const VideoCanvas &c) {
  QByteArray out;
  for (int y = 0; y < c.height; ++y)
    out.append(reinterpret_cast<const char *>(c.row(y)), c.stride());
  return out;
}

} // namespace

Q_DECLARE_METATYPE(FramePipeline::Turning)

class TestFramePipeline : public QObject {
  Q_OBJECT
private slots:
  void turnedFramesMatchTheByteLoop_data();
  void turnedFramesMatchTheByteLoop();
  void oneCanvasFollowsChangingFrames();
  void transposeMatchesTheByteLoop_data();
  void transposeMatchesTheByteLoop();
  void letterboxPaintsEveryPixel_data();
  void letterboxPaintsEveryPixel();
};

void TestFramePipeline::turnedFramesMatchTheByteLoop_data() {
  QTest::addColumn<int>("width");
  QTest::addColumn<int>("height");
  QTest::addColumn<int>("rotation");
  QTest::addColumn<FramePipeline::Turning>("turning");
  QTest::addColumn<bool>("noise");
  // Odd sizes leave a last strip of one row, a last upright row and column outside the tiles
  // of the turn in registers, and chroma planes of odd size; 2-pixel and 20-pixel sides are
  // narrower than one strip, one vector or one tile. 32 is one tile; 66 and 98 end in a tile
  // that overlaps the one before.
  const QSize sizes[] = {{640, 480}, {641, 481}, {1280, 720}, {34, 18}, {48, 2},  {2, 48},  {20, 97},
                         {39, 23},   {32, 32},   {66, 35},    {35, 66}, {98, 33}, {33, 98}, {31, 64}};
  const std::pair<FramePipeline::Turning, const char *> turnings[] = {{FramePipeline::Turning::Best, "best"},
                                                                      {FramePipeline::Turning::Strips, "strips"}};
  for (const auto &[turning, name] : turnings)
    for (const QSize &s : sizes)
      for (int rotation : {1, 2, 3})
        QTest::addRow("%s %dx%d rot%d", name, s.width(), s.height(), rotation)
            << s.width() << s.height() << rotation << turning << false;
  // Random bytes reach the colours the pattern does not, saturation in every channel among them.
  for (int rotation : {1, 2, 3})
    QTest::addRow("best noise 98x66 rot%d", rotation) << 98 << 66 << rotation << FramePipeline::Turning::Best << true;
}

void TestFramePipeline::turnedFramesMatchTheByteLoop() {
  QFETCH(int, width);
  QFETCH(int, height);
  QFETCH(int, rotation);
  QFETCH(FramePipeline::Turning, turning);
  QFETCH(bool, noise);
  I420 src = noise ? noisy(width, height) : patterned(width, height);
  I420 reference = turnedByLoop(src, rotation);

  FramePipeline turned(turning);
  VideoCanvas got;
  QVERIFY(turned.render(src.frame(rotation), got));
  FramePipeline upright;
  VideoCanvas expected;
  QVERIFY(upright.render(reference.frame(0), expected));

  QCOMPARE(QSize(got.width, got.height), QSize(reference.width, reference.height));
  QVERIFY(pictureBytes(got) == pictureBytes(expected));
}

// One canvas reused across sizes and rotations, as a view's canvases are: nothing of an
// earlier frame may survive into a later one, also at the right edge of a 39-pixel row, which
// the converter's vector code would leave unwritten.
void TestFramePipeline::oneCanvasFollowsChangingFrames() {
  FramePipeline pipeline;
  VideoCanvas canvas;
  I420 big = patterned(641, 481);
  I420 small = patterned(39, 18);
  for (int round = 0; round < 2; ++round)
    for (int rotation : {0, 1, 2, 3}) {
      for (I420 *src : {&big, &small}) {
        QVERIFY(pipeline.render(src->frame(rotation), canvas));
        I420 reference = rotation ? turnedByLoop(*src, rotation) : *src;
        FramePipeline fresh;
        VideoCanvas expected;
        QVERIFY(fresh.render(reference.frame(0), expected));
        QVERIFY2(pictureBytes(canvas) == pictureBytes(expected),
                 qPrintable(QStringLiteral("%1 wide, rotation %2").arg(src->width).arg(rotation)));
      }
    }
  // An unusable frame leaves the canvas as it was.
  const QByteArray before = pictureBytes(canvas);
  ilive::LiveVideoFrame bad = big.frame(1);
  bad.dataSize -= 1;
  QVERIFY(!pipeline.render(bad, canvas));
  QVERIFY(pictureBytes(canvas) == before);
}

void TestFramePipeline::transposeMatchesTheByteLoop_data() {
  QTest::addColumn<QSize>("size");
  QTest::addColumn<bool>("vector");
  // Around the 16-column, 32-row blocks: whole blocks, one short, one over, and only edges.
  const QSize sizes[] = {{16, 32}, {15, 31}, {17, 33}, {48, 96}, {47, 95}, {64, 65}, {640, 480}, {5, 200}, {200, 5}};
  for (const QSize &s : sizes)
    for (bool vector : {true, false})
      QTest::addRow("%dx%d %s", s.width(), s.height(), vector ? "vector" : "plain")
          << s << vector;
}

// Every byte in its place, read top down and bottom up and written either way, with and without
// the processor's vector instructions; the frame sits inside a larger buffer whose bytes around
// it must stay as they were.
void TestFramePipeline::transposeMatchesTheByteLoop() {
  QFETCH(QSize, size);
  QFETCH(bool, vector);
  const int w = size.width();
  const int h = size.height();
  const int srcStride = w + 7;
  const int dstStride = h + 5;
  std::vector<uint8_t> src(static_cast<size_t>(srcStride) * h);
  for (size_t i = 0; i < src.size(); ++i)
    src[i] = static_cast<uint8_t>(i * 131 + i / 7);
  if (!vector)
    libyuv::MaskCpuFlags(~libyuv::kCpuHasAVX2);
  for (bool upward : {false, true})
    for (bool backward : {false, true}) {
      std::vector<uint8_t> dst(static_cast<size_t>(dstStride) * w, 0xA5);
      const uint8_t *first = upward ? src.data() + static_cast<size_t>(h - 1) * srcStride : src.data();
      uint8_t *out = backward ? dst.data() + static_cast<size_t>(w - 1) * dstStride : dst.data();
      transposePlane(first, upward ? -srcStride : srcStride, out, backward ? -dstStride : dstStride, w, h);
      for (int k = 0; k < w; ++k)
        for (int i = 0; i < dstStride; ++i) {
          const int row = backward ? w - 1 - k : k;
          const uint8_t got = dst[static_cast<size_t>(row) * dstStride + i];
          const int from = upward ? h - 1 - i : i;
          const uint8_t want = i < h ? src[static_cast<size_t>(from) * srcStride + k] : 0xA5;
          if (got != want) {
            libyuv::MaskCpuFlags(-1);
            QFAIL(qPrintable(QStringLiteral("column %1, byte %2 (%3, %4): %5, not %6")
                                 .arg(k).arg(i).arg(upward ? "up" : "down").arg(backward ? "back" : "forth")
                                 .arg(got).arg(want)));
          }
        }
    }
  libyuv::MaskCpuFlags(-1);
}

void TestFramePipeline::letterboxPaintsEveryPixel_data() {
  QTest::addColumn<QSize>("picture");
  QTest::addColumn<QSize>("area");
  QTest::addRow("portrait in landscape") << QSize(480, 640) << QSize(1280, 720);
  QTest::addRow("landscape in portrait") << QSize(640, 480) << QSize(300, 700);
  QTest::addRow("same shape") << QSize(640, 360) << QSize(1280, 720);
  QTest::addRow("odd sizes") << QSize(641, 479) << QSize(333, 211);
  QTest::addRow("tiny area") << QSize(1280, 720) << QSize(3, 2);
}

// The view paints without a background: a pixel the letterbox leaves alone would show
// whatever was there before. Bars are black, the picture keeps its shape and sits centred.
void TestFramePipeline::letterboxPaintsEveryPixel() {
  QFETCH(QSize, picture);
  QFETCH(QSize, area);
  QImage white(picture, QImage::Format_RGB32);
  white.fill(Qt::white);
  QImage target(area + QSize(20, 20), QImage::Format_RGB32);
  target.fill(Qt::magenta);
  const QRect inside(QPoint(10, 10), area);
  {
    QPainter painter(&target);
    paintLetterboxed(painter, inside, white);
  }
  for (int y = 0; y < target.height(); ++y)
    for (int x = 0; x < target.width(); ++x) {
      const bool in = inside.contains(x, y);
      if ((target.pixel(x, y) == QColor(Qt::magenta).rgb()) == in)
        QFAIL(qPrintable(QStringLiteral("pixel %1,%2 %3").arg(x).arg(y).arg(in ? "not painted" : "painted outside")));
    }
  const QRect r = letterboxRect(inside, picture);
  QVERIFY(inside.contains(r));
  const double shape = double(picture.width()) / picture.height();
  QVERIFY(qAbs(double(r.width()) / r.height() - shape) < shape * 0.05 + 2.0 / r.height());
  QVERIFY(qAbs((r.left() - inside.left()) - (inside.right() - r.right())) <= 2);
  QVERIFY(qAbs((r.top() - inside.top()) - (inside.bottom() - r.bottom())) <= 2);
  if (r.width() > 2 && r.height() > 2)
    QCOMPARE(QColor(target.pixel(r.center())), QColor(Qt::white));
}

QTEST_GUILESS_MAIN(TestFramePipeline)
#include "test_framepipeline.moc"

#include "av/qwidgetvideorender.h"
#include "videoframes.h"

#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

constexpr int kBright = 200; // luma; about 214 after conversion
constexpr int kGrey = 100;   // about 98
constexpr int kWhite = 235;

bool isGrey(int v) { return v > 60 && v < 140; }
bool isBlack(int v) { return v < 10; }

int uniform(int, int) { return kBright; }

// A shown view of the given size.
std::unique_ptr<QWidgetVideoRender> view(int width, int height) {
  auto w = std::make_unique<QWidgetVideoRender>();
  w->resize(width, height);
  w->show();
  return w;
}

QImage shown(QWidgetVideoRender &w) { return w.grab().toImage(); }

} // namespace

class TestVideoRender : public QObject {
  Q_OBJECT
private slots:
  void letterboxesIntoTallView();
  void pillarboxesIntoWideView();
  void turnsFramesUpright_data();
  void turnsFramesUpright();
  void rebuildsConverterOnlyOnChange();
  void unusableFramesKeepLastPicture();
  void oddSizesAndPaddedRows();
  void barsFollowThePictureAcrossShapes();
  void packedFramesTurnAndPlace();
  void pausedViewIgnoresFramesAndClicks();
  void nameBarOnlyWithName();
  void doubleClickAndEscape();
};

void TestVideoRender::letterboxesIntoTallView() {
  auto w = view(320, 320);
  TestFrame f = i420Frame(640, 480, uniform);
  w->inputFrame(f.live());
  const QImage canvas = w->canvasSnapshot();
  QCOMPARE(canvas.size(), QSize(640, 640));
  for (int x : {0, 320, 639}) {
    QVERIFY(isBlack(level(canvas, x, 79)));
    QVERIFY(isBrightLevel(level(canvas, x, 80)));
    QVERIFY(isBrightLevel(level(canvas, x, 559)));
    QVERIFY(isBlack(level(canvas, x, 560)));
  }
  // On screen the canvas is stretched over 320 × 320: bars of 40 rows.
  const QImage screen = shown(*w);
  QVERIFY(isBlack(level(screen, 160, 20)));
  QVERIFY(isBrightLevel(level(screen, 160, 160)));
  QVERIFY(isBlack(level(screen, 160, 300)));
  QCOMPARE(w->streamUserId(), QByteArray("teacher"));
}

void TestVideoRender::pillarboxesIntoWideView() {
  auto w = view(800, 300);
  TestFrame f = i420Frame(640, 480, uniform);
  w->inputFrame(f.live());
  const QImage canvas = w->canvasSnapshot();
  QCOMPARE(canvas.size(), QSize(1280, 480));
  for (int y : {0, 240, 479}) {
    QVERIFY(isBlack(level(canvas, 319, y)));
    QVERIFY(isBrightLevel(level(canvas, 320, y)));
    QVERIFY(isBrightLevel(level(canvas, 959, y)));
    QVERIFY(isBlack(level(canvas, 960, y)));
  }
}

// A bright 64 × 48 block in the top-left corner of a grey 640 × 480 frame ends up in the
// given corner of the upright picture.
void TestVideoRender::turnsFramesUpright_data() {
  QTest::addColumn<int>("rotation");
  QTest::addColumn<QSize>("upright");
  QTest::addColumn<QPoint>("corner");
  QTest::newRow("0") << 0 << QSize(640, 480) << QPoint(0, 0);
  QTest::newRow("90 clockwise") << 1 << QSize(480, 640) << QPoint(1, 0);
  QTest::newRow("180") << 2 << QSize(640, 480) << QPoint(1, 1);
  QTest::newRow("90 counter-clockwise") << 3 << QSize(480, 640) << QPoint(0, 1);
}

void TestVideoRender::turnsFramesUpright() {
  QFETCH(int, rotation);
  QFETCH(QSize, upright);
  QFETCH(QPoint, corner);
  auto w = view(upright.width(), upright.height());
  TestFrame f = i420Frame(640, 480, [](int x, int y) { return x < 64 && y < 48 ? kWhite : kGrey; }, rotation);
  w->inputFrame(f.live());
  const QImage canvas = w->canvasSnapshot();
  QCOMPARE(canvas.size(), upright);
  const int right = upright.width() - 1;
  const int bottom = upright.height() - 1;
  for (int cx = 0; cx < 2; ++cx)
    for (int cy = 0; cy < 2; ++cy) {
      const int v = level(canvas, cx ? right - 5 : 5, cy ? bottom - 5 : 5);
      QVERIFY2(QPoint(cx, cy) == corner ? isBrightLevel(v) : isGrey(v),
               qPrintable(QStringLiteral("corner %1,%2: %3").arg(cx).arg(cy).arg(v)));
    }
}

void TestVideoRender::rebuildsConverterOnlyOnChange() {
  auto w = view(480, 640);
  TestFrame upright = i420Frame(640, 480, uniform);
  QTest::ignoreMessage(QtDebugMsg, "InitPlay, width:640,height:480");
  w->inputFrame(upright.live());
  w->inputFrame(upright.live());
  QCOMPARE(w->converterBuilds(), 1);

  // Same size, new rotation: rebuilt, and the picture is shown upright as 480 × 640.
  TestFrame turned = i420Frame(640, 480, uniform, 1);
  QTest::ignoreMessage(QtDebugMsg, "InitPlay, width:640,height:480");
  w->inputFrame(turned.live());
  QCOMPARE(w->converterBuilds(), 2);
  QCOMPARE(w->canvasSnapshot().size(), QSize(480, 640));
  QVERIFY(isBrightLevel(level(w->canvasSnapshot(), 240, 320)));
}

void TestVideoRender::unusableFramesKeepLastPicture() {
  auto w = view(320, 240);
  TestFrame good = i420Frame(320, 240, uniform);
  w->inputFrame(good.live());
  const QImage before = w->canvasSnapshot();
  QVERIFY(!before.isNull());

  TestFrame other = i420Frame(320, 240, [](int, int) { return kGrey; });
  other.owner = "student";
  ilive::LiveVideoFrame empty = other.live();
  empty.dataSize = 0;
  w->inputFrame(empty);
  ilive::LiveVideoFrame short1 = other.live();
  short1.dataSize -= 1;
  w->inputFrame(short1);
  // Claims a far larger picture than its data holds: must not be read past its end.
  ilive::LiveVideoFrame tooBig = other.live();
  tooBig.width = 1920;
  tooBig.height = 1080;
  w->inputFrame(tooBig);
  ilive::LiveVideoFrame badRotation = other.live();
  badRotation.rotate = 4;
  w->inputFrame(badRotation);
  TestFrame packed = bgrFrame(320, 240, [](int, int) { return qRgb(0, 0, 255); });
  ilive::LiveVideoFrame packedShort = packed.live();
  packedShort.dataSize -= 3;
  w->inputFrame(packedShort);

  QCOMPARE(w->canvasSnapshot(), before);
  QCOMPARE(w->streamUserId(), QByteArray("teacher"));
}

// 641 × 481: odd luma rows, chroma planes of 321 × 241, BGR rows of 1923 bytes in a canvas
// 644 pixels wide. A one-pixel stripe down column 320 and a white last row show any shear.
void TestVideoRender::oddSizesAndPaddedRows() {
  auto w = view(641, 481);
  TestFrame f = i420Frame(641, 481, [](int x, int y) { return x == 320 || y == 480 ? kWhite : kGrey; });
  w->inputFrame(f.live());
  const QImage canvas = w->canvasSnapshot();
  QCOMPARE(canvas.size(), QSize(644, 481));
  for (int y = 0; y < 480; ++y) {
    QVERIFY2(isBrightLevel(level(canvas, 321, y)), qPrintable(QString::number(y)));
    QVERIFY2(isGrey(level(canvas, 318, y)) && isGrey(level(canvas, 324, y)), qPrintable(QString::number(y)));
    QVERIFY(isBlack(level(canvas, 0, y)));
    QVERIFY(isBlack(level(canvas, 642, y)) && isBlack(level(canvas, 643, y)));
    QVERIFY(isGrey(level(canvas, 641, y)));
  }
  for (int x = 1; x < 642; x += 64)
    QVERIFY(isBrightLevel(level(canvas, x, 480)));
}

// The two canvases the view swaps keep their bars between frames of one shape; a new shape on
// a canvas of the same size must still black out what the old picture covered.
void TestVideoRender::barsFollowThePictureAcrossShapes() {
  auto w = view(640, 480);
  TestFrame full = i420Frame(640, 480, uniform);
  TestFrame wide = i420Frame(640, 360, uniform);
  TestFrame narrow = i420Frame(480, 480, uniform);
  const auto check = [&](int barRows, int barColumns, const char *what) {
    const QImage canvas = w->canvasSnapshot();
    QCOMPARE(canvas.size(), QSize(640, 480));
    for (int y : {0, 59, 60, 240, 419, 420, 479})
      for (int x : {0, 79, 80, 320, 559, 560, 639}) {
        const bool bar = y < barRows || y >= 480 - barRows || x < barColumns || x >= 640 - barColumns;
        const int v = level(canvas, x, y);
        QVERIFY2(bar ? isBlack(v) : isBrightLevel(v), qPrintable(QStringLiteral("%1 at %2,%3: %4").arg(what).arg(x).arg(y).arg(v)));
      }
  };
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 3; ++i) {
      w->inputFrame(full.live());
      check(0, 0, "full");
    }
    for (int i = 0; i < 3; ++i) {
      w->inputFrame(wide.live());
      check(60, 0, "wide");
    }
    for (int i = 0; i < 3; ++i) {
      w->inputFrame(narrow.live());
      check(0, 80, "narrow");
    }
  }
}

void TestVideoRender::packedFramesTurnAndPlace() {
  auto w = view(479, 643);
  // 643 × 479 with a red block top-left; turned clockwise it sits top-right.
  TestFrame f = bgrFrame(643, 479, [](int x, int y) { return x < 30 && y < 20 ? qRgb(255, 0, 0) : qRgb(0, 0, 255); }, 1);
  w->inputFrame(f.live());
  const QImage canvas = w->canvasSnapshot();
  QCOMPARE(canvas.size(), QSize(480, 643));
  // Upright width 479 in a 480-wide canvas: offset 0, one black column on the right.
  QCOMPARE(canvas.pixel(470, 5), qRgb(255, 0, 0));
  QCOMPARE(canvas.pixel(5, 5), qRgb(0, 0, 255));
  QCOMPARE(canvas.pixel(478, 642), qRgb(0, 0, 255));
  QCOMPARE(canvas.pixel(479, 300), qRgb(0, 0, 0));
}

void TestVideoRender::pausedViewIgnoresFramesAndClicks() {
  auto w = view(320, 240);
  w->setPaused(true);
  TestFrame f = i420Frame(320, 240, uniform);
  w->inputFrame(f.live());
  QVERIFY(w->canvasSnapshot().isNull());
  QSignalSpy clicked(w.get(), &QWidgetVideoRender::doubleClicked);
  QTest::mouseDClick(w.get(), Qt::LeftButton);
  QCOMPARE(clicked.count(), 0);
  w->setPaused(false);
  w->inputFrame(f.live());
  QVERIFY(!w->canvasSnapshot().isNull());
}

void TestVideoRender::nameBarOnlyWithName() {
  auto w = view(320, 240);
  TestFrame f = i420Frame(320, 240, uniform);
  w->inputFrame(f.live());
  const QImage bare = shown(*w);
  const int picture = level(bare, 160, 120);
  QVERIFY(isBrightLevel(picture));
  // Without a name the bottom rows are the picture itself, icons included.
  for (int x : {2, 10, 60, 150, 305})
    for (int y : {212, 225, 233, 239})
      QCOMPARE(level(bare, x, y), picture);

  w->setName(QStringLiteral("王小明"));
  w->setMicFlag(1);
  const QImage named = shown(*w);
  QVERIFY(level(named, 150, 237) < picture - 20); // the bar darkens the bottom strip
  QCOMPARE(level(named, 150, 100), picture);       // and nothing above it
  w->setMicFlag(0);
  const QImage micOff = shown(*w);
  QVERIFY(micOff.copy(5, 222, 16, 16) != named.copy(5, 222, 16, 16));
  w->setSpeakingState(1);
  QVERIFY(shown(*w).copy(298, 222, 16, 16) != micOff.copy(298, 222, 16, 16));
}

void TestVideoRender::doubleClickAndEscape() {
  QWidget parent;
  auto *layout = new QVBoxLayout(&parent);
  auto *w = new QWidgetVideoRender;
  layout->addWidget(w);
  parent.resize(320, 240);
  parent.show();
  w->setTileIndex(3);
  QSignalSpy clicked(w, &QWidgetVideoRender::doubleClicked);
  QSignalSpy esc(w, &QWidgetVideoRender::escPressed);
  QSignalSpy exit(w, &QWidgetVideoRender::exitFullScreen);
  QTest::mouseDClick(w, Qt::LeftButton);
  QCOMPARE(clicked.count(), 1);
  QCOMPARE(clicked.at(0).at(0).toInt(), 3);
  QTest::keyClick(w, Qt::Key_Escape);
  QCOMPARE(esc.count(), 1);
  QCOMPARE(esc.at(0).at(0).toInt(), 3);

  w->goFullScreen();
  QVERIFY(w->isFullScreen());
  QCOMPARE(w->parentWidget(), nullptr);
  QTest::mouseDClick(w, Qt::LeftButton);
  QCOMPARE(exit.count(), 1);
  QCOMPARE(exit.at(0).at(0).value<QWidgetVideoRender *>(), w);
  QCOMPARE(clicked.count(), 1);
  QTest::keyClick(w, Qt::Key_Escape);
  QCOMPARE(esc.count(), 1); // Escape in full screen goes back instead
  QVERIFY(!w->isFullScreen());
  QCOMPARE(w->parentWidget(), &parent);
  QCOMPARE(layout->indexOf(w), 0);
}

QTEST_MAIN(TestVideoRender)
#include "test_videorender.moc"

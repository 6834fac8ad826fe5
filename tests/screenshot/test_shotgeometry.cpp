// The screenshot tool's rules that need no screen: hit test order, resizing anchors, the
// arrow's corners, the control bar, magnifier and label placement, the default file name.
#include "screenshot/shotgeometry.h"

#include <QTest>

using namespace shotgeometry;
using Triangle = std::array<QPoint, 3>;
Q_DECLARE_METATYPE(Triangle)

class TestShotGeometry : public QObject {
  Q_OBJECT

private slots:
  void hitTestPrefersCornersOverEdges_data() {
    QTest::addColumn<QPoint>("p");
    QTest::addColumn<int>("code");
    QTest::newRow("top-left corner square") << QPoint(5, 5) << int(TopLeft);
    QTest::newRow("bottom-right corner") << QPoint(194, 94) << int(BottomRight);
    QTest::newRow("bottom-left corner") << QPoint(0, 99) << int(BottomLeft);
    QTest::newRow("top-right corner") << QPoint(199, 0) << int(TopRight);
    QTest::newRow("left edge just below the corner") << QPoint(0, 6) << int(Left);
    QTest::newRow("right edge") << QPoint(195, 50) << int(Right);
    QTest::newRow("top edge just beside the corner") << QPoint(6, 0) << int(Top);
    QTest::newRow("bottom edge") << QPoint(100, 99) << int(Bottom);
    QTest::newRow("inside") << QPoint(100, 50) << int(Inside);
    QTest::newRow("inside next to the margin") << QPoint(6, 6) << int(Inside);
  }
  void hitTestPrefersCornersOverEdges() {
    QFETCH(QPoint, p);
    QFETCH(int, code);
    QCOMPARE(int(hitTest(p, QSize(200, 100))), code);
  }

  void resizingKeepsTheOppositeSide() {
    const QRect r(100, 100, 200, 100); // right edge 300, bottom edge 200
    QCOMPARE(anchorFor(TopLeft, r), QPoint(300, 200));
    QCOMPARE(anchorFor(BottomRight, r), QPoint(100, 100));
    QCOMPARE(anchorFor(TopRight, r), QPoint(100, 200));
    QCOMPARE(anchorFor(BottomLeft, r), QPoint(300, 100));
    // A corner follows the pointer, even past the anchor.
    QCOMPARE(resized(TopLeft, r, QPoint(300, 200), QPoint(50, 60)), QRect(50, 60, 250, 140));
    QCOMPARE(resized(BottomRight, r, QPoint(100, 100), QPoint(40, 50)), QRect(40, 50, 60, 50));
    // Edges change one dimension only.
    QCOMPARE(resized(Top, r, anchorFor(Top, r), QPoint(999, 80)), QRect(100, 80, 200, 120));
    QCOMPARE(resized(Bottom, r, anchorFor(Bottom, r), QPoint(-5, 250)), QRect(100, 100, 200, 150));
    QCOMPARE(resized(Left, r, anchorFor(Left, r), QPoint(150, 0)), QRect(150, 100, 150, 100));
    QCOMPARE(resized(Right, r, anchorFor(Right, r), QPoint(350, 0)), QRect(100, 100, 250, 100));
  }

  void arrowCornersAreTruncatedTowardZero_data() {
    QTest::addColumn<QPoint>("start");
    QTest::addColumn<QPoint>("end");
    QTest::addColumn<Triangle>("head");
    QTest::addColumn<Triangle>("shaft");
    QTest::newRow("right") << QPoint(0, 0) << QPoint(100, 0)
                           << Triangle{QPoint(100, 0), QPoint(85, 7), QPoint(85, -7)}
                           << Triangle{QPoint(0, 0), QPoint(85, 2), QPoint(85, -2)};
    // Up and to the left the offsets are negative: -2.87 becomes -2 (not -3) and the
    // shaft's 1.44-pixel step becomes 1.
    QTest::newRow("up-left") << QPoint(0, 0) << QPoint(-100, -30)
                             << Triangle{QPoint(-100, -30), QPoint(-84, -32), QPoint(-88, -19)}
                             << Triangle{QPoint(0, 0), QPoint(-85, -28), QPoint(-87, -23)};
    QTest::newRow("down") << QPoint(0, 0) << QPoint(0, 100)
                          << Triangle{QPoint(0, 100), QPoint(-7, 85), QPoint(7, 85)}
                          << Triangle{QPoint(0, 0), QPoint(-2, 85), QPoint(2, 85)};
    // 45°: offsets -15.9 and -5.3 become -15 and -5; the 3.54-pixel steps become 3.
    QTest::newRow("diagonal") << QPoint(0, 0) << QPoint(100, 100)
                              << Triangle{QPoint(100, 100), QPoint(85, 95), QPoint(95, 85)}
                              << Triangle{QPoint(0, 0), QPoint(88, 92), QPoint(92, 88)};
  }
  void arrowCornersAreTruncatedTowardZero() {
    QFETCH(QPoint, start);
    QFETCH(QPoint, end);
    QFETCH(Triangle, head);
    QFETCH(Triangle, shaft);
    const Arrow a = arrow(start, end);
    QCOMPARE(a.head, head);
    QCOMPARE(a.shaft, shaft);
  }

  void controlBarSitsBelowOrInsideNearTheScreenBottom() {
    // 260 wide, right-aligned with the selection, 6 below it.
    QCOMPARE(controlBarPosition(QRect(300, 200, 400, 300), 1080), QPoint(440, 506));
    // Bottom edge exactly 25 above the screen's bottom: still below.
    QCOMPARE(controlBarPosition(QRect(300, 755, 400, 300), 1080), QPoint(440, 1061));
    // Within 25 pixels of the bottom: inside, 30 above the selection's bottom.
    QCOMPARE(controlBarPosition(QRect(300, 756, 400, 300), 1080), QPoint(440, 1026));
    QCOMPARE(controlBarPosition(QRect(0, 0, 1920, 1080), 1080), QPoint(1660, 1050));
  }

  void magnifierAndLabelStayOnScreen() {
    const QSize m(122, 122), window(1920, 1080);
    QCOMPARE(magnifierPosition(QPoint(100, 100), m, window), QPoint(104, 126));
    QCOMPARE(magnifierPosition(QPoint(100, 1000), m, window), QPoint(104, 1000 - 122 - 26));
    QCOMPARE(magnifierPosition(QPoint(1900, 100), m, window), QPoint(1900 - 122 - 4, 126));
    QCOMPARE(sizeLabelPosition(QPoint(50, 100), 22), QPoint(50, 77));
    QCOMPARE(sizeLabelPosition(QPoint(-10, 10), 22), QPoint(0, 10)); // near the top: inside
  }

  void sizesScaleWithTheDesktop() {
    QCOMPARE(Scale::forDesktop(QSize(3840, 2160)).magnifierSide(), 244);
    QCOMPARE(Scale::forDesktop(QSize(1920, 1080)).magnifierSide(), 122);
    QCOMPARE(Scale::forDesktop(QSize(1920, 1080)).magnifierPictureHeight(), 90);
    QCOMPARE(Scale::forDesktop(QSize(1600, 1000)).magnifierSide(), 101); // 101.67 truncated
  }

  void defaultSaveName() {
    const QDateTime when(QDate(2026, 3, 5), QTime(14, 7, 9));
    QCOMPARE(shotgeometry::defaultSaveName(when), QStringLiteral("Tarnwick截图_2026-03-05-14-07-09"));
  }

  void dragRectFromAnyDirection() {
    QCOMPARE(dragRect(QPoint(50, 60), QPoint(10, 100)), QRect(10, 60, 40, 40));
    QCOMPARE(dragRect(QPoint(50, 60), QPoint(50, 60)), QRect(50, 60, 0, 0));
  }
};

QTEST_GUILESS_MAIN(TestShotGeometry)
#include "test_shotgeometry.moc"

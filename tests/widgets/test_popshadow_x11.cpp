// The shadow on a real X server without a compositing manager: it draws itself over a copy of
// the screen, so the copy must be taken again when a window beneath it goes away, or the
// shadow keeps showing that window (a class window's slide around a box over the portal).
#include "widgets/compositing.h"
#include "widgets/popshadow.h"
#include "widgets/popwindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

namespace {

const QColor kBeneath(220, 20, 30);

// What the screen shows on the shadow's outer rim, two pixels in from its left edge.
QColor rimColour(const PopShadow *shadow) {
  const QRect g = shadow->geometry();
  const QPoint p(g.left() + 2, g.center().y());
  const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0, p.x(), p.y(), 1, 1).toImage();
  return shot.pixelColor(0, 0);
}

bool isBeneathColour(const QColor &c) {
  return qAbs(c.red() - kBeneath.red()) < 40 && c.green() < 80 && c.blue() < 80;
}

} // namespace

class TestPopShadowX11 : public QObject {
  Q_OBJECT
private slots:
  void shadowForgetsAWindowThatWentFromBeneathIt();
};

void TestPopShadowX11::shadowForgetsAWindowThatWentFromBeneathIt() {
  if (compositing::translucentWindowsBlend())
    QSKIP("a compositing manager blends the shadow; nothing is copied");
  QWidget beneath;
  beneath.setWindowFlags(Qt::FramelessWindowHint);
  QPalette palette;
  palette.setColor(QPalette::Window, kBeneath);
  beneath.setPalette(palette);
  beneath.setAutoFillBackground(true);
  // In the screen's lower right corner, away from where other programs' windows usually open.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  beneath.setGeometry(screen.right() - 720, screen.bottom() - 520, 700, 500);
  beneath.show();
  QVERIFY(QTest::qWaitForWindowExposed(&beneath));

  PopWindow box;
  box.setFixedSize(300, 200);
  box.move(beneath.x() + 200, beneath.y() + 150);
  box.show();
  QTRY_VERIFY(box.shadow()->isVisible());
  QTRY_VERIFY(isBeneathColour(rimColour(box.shadow())));

  // The window beneath goes while the box stays: within a settle time the rim shows what
  // lies there now.
  beneath.hide();
  QTRY_VERIFY_WITH_TIMEOUT(!isBeneathColour(rimColour(box.shadow())), 3000);
  QTRY_VERIFY(box.shadow()->isVisible());
  QCOMPARE(box.shadow()->geometry(), PopShadow::shadowGeometry(box.geometry()));
}

QTEST_MAIN(TestPopShadowX11)
#include "test_popshadow_x11.moc"

// What a pop-up's shadow puts on the screen of the test display, which has no compositing
// manager (as many Linux desktops have none): never a picture of what used to lie beneath.
// The windows beneath change while the box is up, as the class window does when the class
// ends under a box; a picture of the whole screen then must show them as they are now.
#include "widgets/compositing.h"
#include "widgets/popshadow.h"
#include "widgets/popwindow.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QtTest>

namespace {

// A window that is one colour all over, changed while the test runs.
class Backdrop : public QWidget {
public:
  Backdrop() : QWidget(nullptr, Qt::FramelessWindowHint) { setAttribute(Qt::WA_OpaquePaintEvent); }
  void setColour(const QColor &c) {
    colour = c;
    update();
  }
  QColor colour = Qt::red;

protected:
  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    p.fillRect(rect(), colour);
  }
};

QImage screenNow() {
  QTest::qWait(300); // the last paints reach the server
  return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

QColor at(const QImage &screen, const QPoint &p) { return QColor(screen.pixel(p)); }

} // namespace

class TestPopShadowScreen : public QObject {
  Q_OBJECT
private slots:
  void shadowShowsNothingThatIsGone() {
    if (compositing::translucentWindowsBlend())
      QSKIP("a compositing manager blends the shadow itself here");
    Backdrop backdrop;
    backdrop.setGeometry(200, 150, 800, 600);
    backdrop.show();
    QVERIFY(QTest::qWaitForWindowExposed(&backdrop));
    PopWindow box;
    box.setFixedSize(420, 260);
    box.move(390, 320);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTRY_VERIFY(box.shadow()->isVisible());
    QVERIFY(box.shadow()->isPlainFrame());
    const QRect popup = box.geometry();

    // Points of the rim a soft shadow would cover, and the line right around the box.
    const QList<QPoint> rim{popup.topLeft() + QPoint(-12, 40), popup.topRight() + QPoint(12, 40),
                            popup.bottomLeft() + QPoint(60, 22), QPoint(popup.center().x(), popup.top() - 5)};
    const QList<QPoint> line{popup.topLeft() + QPoint(-1, 40), popup.bottomLeft() + QPoint(60, 1)};
    QImage screen = screenNow();
    for (const QPoint &p : rim)
      QCOMPARE(at(screen, p), QColor(Qt::red));
    for (const QPoint &p : line)
      QCOMPARE(at(screen, p), PopShadow::frameColour());

    // What lies beneath changes: the rim shows it as it is now.
    backdrop.setColour(Qt::blue);
    screen = screenNow();
    for (const QPoint &p : rim)
      QCOMPARE(at(screen, p), QColor(Qt::blue));
    for (const QPoint &p : line)
      QCOMPARE(at(screen, p), PopShadow::frameColour());

    // Moved, the frame follows and leaves nothing behind.
    const QPoint oldLine = line.first();
    box.move(popup.topLeft() + QPoint(120, 60));
    QTRY_COMPARE(box.shadow()->geometry(), PopShadow::shadowGeometry(box.geometry()));
    screen = screenNow();
    QCOMPARE(at(screen, oldLine), QColor(Qt::blue));
    QCOMPARE(at(screen, box.geometry().topLeft() + QPoint(-1, 40)), PopShadow::frameColour());

    box.close();
    backdrop.setColour(Qt::green);
    screen = screenNow();
    QCOMPARE(at(screen, box.geometry().topLeft() + QPoint(-1, 40)), QColor(Qt::green));
  }
};

QTEST_MAIN(TestPopShadowScreen)
#include "test_popshadow_screen.moc"

// The drawing layer: shapes accumulate across tools, the live preview, the free line as a
// chain of segments, and a result image that is the selection untouched until drawn on.
#include "screenshot/qslabel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

namespace {

QImage checkerboard() {
  QImage img(120, 80, QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, ((x / 8 + y / 8) % 2) ? 0xff3060a0 : 0xffe0e0e0);
  return img;
}

// QTest's own move goes through the pointer, which the offscreen platform does not move.
void moveTo(QWidget *w, QPoint p) {
  QMouseEvent move(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &move);
}

void drag(QWidget *w, QPoint from, QPoint to) {
  QTest::mousePress(w, Qt::LeftButton, {}, from);
  moveTo(w, (from + to) / 2);
  moveTo(w, to);
  QTest::mouseRelease(w, Qt::LeftButton, {}, to);
}

int redPixels(const QImage &img) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QColor c = img.pixelColor(x, y);
      if (c.red() > 200 && c.green() < 80 && c.blue() < 80) ++n;
    }
  return n;
}

} // namespace

class TestQSLabel : public QObject {
  Q_OBJECT
  std::unique_ptr<QSLabel> m_layer;

private slots:
  void init() {
    m_layer = std::make_unique<QSLabel>();
    m_layer->setImage(checkerboard());
    m_layer->setFixedSize(120, 80);
    m_layer->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_layer.get()));
  }
  void cleanup() { m_layer.reset(); }

  void withoutDrawingTheResultIsTheSelection() {
    QCOMPARE(m_layer->resultImage().convertToFormat(QImage::Format_RGB32), checkerboard());
    m_layer->setTool(QSLabel::Rectangle); // a chosen tool alone draws nothing visible
    QCOMPARE(redPixels(m_layer->resultImage()), 0);
  }

  void shapesOfEveryKindAccumulate() {
    m_layer->setTool(QSLabel::Rectangle);
    drag(m_layer.get(), QPoint(10, 10), QPoint(40, 30));
    drag(m_layer.get(), QPoint(90, 70), QPoint(60, 50)); // dragged up and left
    m_layer->setTool(QSLabel::Arrow);
    drag(m_layer.get(), QPoint(10, 70), QPoint(100, 20));
    m_layer->setTool(QSLabel::Ellipse);
    drag(m_layer.get(), QPoint(50, 10), QPoint(80, 40));
    QCOMPARE(m_layer->shapes(QSLabel::Rectangle),
             (QVector<QLine>{QLine(10, 10, 40, 30), QLine(90, 70, 60, 50)}));
    QCOMPARE(m_layer->shapes(QSLabel::Arrow), (QVector<QLine>{QLine(10, 70, 100, 20)}));
    QCOMPARE(m_layer->shapes(QSLabel::Ellipse), (QVector<QLine>{QLine(50, 10, 80, 40)}));
    const QImage result = m_layer->resultImage();
    // The second rectangle spans (60, 50)–(90, 70) whatever the drag direction.
    QCOMPARE(result.pixelColor(75, 50), QColor(Qt::red));
    QCOMPARE(result.pixelColor(60, 60), QColor(Qt::red));
    QCOMPARE(result.pixelColor(10, 20), QColor(Qt::red)); // first rectangle's left side
  }

  void penDrawsAChainOfSegments() {
    m_layer->setTool(QSLabel::Pen);
    QTest::mousePress(m_layer.get(), Qt::LeftButton, {}, QPoint(10, 10));
    moveTo(m_layer.get(), QPoint(20, 15));
    moveTo(m_layer.get(), QPoint(30, 40));
    QTest::mouseRelease(m_layer.get(), Qt::LeftButton, {}, QPoint(30, 40));
    QCOMPARE(m_layer->shapes(QSLabel::Pen), (QVector<QLine>{QLine(10, 10, 20, 15), QLine(20, 15, 30, 40)}));
    QVERIFY(redPixels(m_layer->resultImage()) > 20);
  }

  void shapeUnderWayIsPreviewed() {
    m_layer->setTool(QSLabel::Rectangle);
    QTest::mousePress(m_layer.get(), Qt::LeftButton, {}, QPoint(20, 20));
    moveTo(m_layer.get(), QPoint(60, 50));
    QVERIFY(m_layer->shapes(QSLabel::Rectangle).isEmpty());
    QCOMPARE(m_layer->resultImage().pixelColor(40, 20), QColor(Qt::red));
    QTest::mouseRelease(m_layer.get(), Qt::LeftButton, {}, QPoint(60, 50));
    QCOMPARE(m_layer->shapes(QSLabel::Rectangle).size(), 1);
  }

  void keysAndDoubleClickFinishOrClose() {
    QSignalSpy close(m_layer.get(), &QSLabel::closeScreen);
    QSignalSpy finish(m_layer.get(), &QSLabel::finishShotScreen);
    QSignalSpy twice(m_layer.get(), &QSLabel::doubleClick);
    QTest::keyClick(m_layer.get(), Qt::Key_Return);
    QTest::keyClick(m_layer.get(), Qt::Key_Escape);
    QTest::mouseDClick(m_layer.get(), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(finish.count(), 1);
    QCOMPARE(close.count(), 1);
    QCOMPARE(twice.count(), 1);
  }
};

QTEST_MAIN(TestQSLabel)
#include "test_qslabel.moc"

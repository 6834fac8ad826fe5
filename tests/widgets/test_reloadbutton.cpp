#include "imagecompare.h"
#include "widgets/qtreloadbutton.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

using imagecompare::res;
using imagecompare::samePicture;

namespace {

void tick(QtReloadButton &b, int n) {
  for (int i = 0; i < n; ++i) b.onTimer();
}

} // namespace

class TestReloadButton : public QObject {
  Q_OBJECT
private slots:
  void restsOnReload0();
  void stopMidTurnFinishesTheTurn();
  void stopWhileIdleDoesNothing();
  void startWhileRunningKeepsTheFrame();
  void restartCancelsPendingStop();
  void realTimerCompletesTheTurn();
};

void TestReloadButton::restsOnReload0() {
  QtReloadButton b;
  QCOMPARE(b.imageName(), QStringLiteral("refresh"));
  QCOMPARE(b.currentImage(), res("refresh.png"));
  QCOMPARE(b.currentFrameImage(), res("reload0.png"));
  QVERIFY(samePicture(b.iconLabel()->pixmap(Qt::ReturnByValue), "reload0.png"));
  QVERIFY(!b.isAnimating());
}

void TestReloadButton::stopMidTurnFinishesTheTurn() {
  QtReloadButton b;
  b.startAnimation();
  QTimer *t = b.findChild<QTimer *>(QStringLiteral("animationTimer"));
  QVERIFY(t && t->isActive());
  QCOMPARE(t->interval(), 30);

  tick(b, 7);
  QCOMPARE(b.currentFrameImage(), res("frame-7.png"));
  QVERIFY(samePicture(b.iconLabel()->pixmap(Qt::ReturnByValue), "frame-7.png"));

  b.stopAnimation();
  QVERIFY(b.isAnimating());
  QVERIFY(b.stopRequested());
  for (int frame = 8; frame < 30; ++frame) {
    b.onTimer();
    QCOMPARE(b.currentFrameImage(), res(QStringLiteral("frame-%1.png").arg(frame)));
    QVERIFY(b.isAnimating());
  }
  b.onTimer(); // frame 30: the turn is complete
  QCOMPARE(b.frame(), 30);
  QVERIFY(!b.isAnimating());
  QVERIFY(!b.stopRequested());
  QCOMPARE(b.currentFrameImage(), res("reload0.png"));
  QVERIFY(samePicture(b.iconLabel()->pixmap(Qt::ReturnByValue), "reload0.png"));
}

void TestReloadButton::stopWhileIdleDoesNothing() {
  QtReloadButton b;
  b.stopAnimation();
  QVERIFY(!b.stopRequested());
  b.startAnimation();
  tick(b, 31);
  // A stale request from before the start would have ended the spin after one turn.
  QVERIFY(b.isAnimating());
  QCOMPARE(b.currentFrameImage(), res("frame-1.png"));
}

void TestReloadButton::startWhileRunningKeepsTheFrame() {
  QtReloadButton b;
  b.startAnimation();
  tick(b, 12);
  b.startAnimation();
  b.onTimer();
  QCOMPARE(b.frame(), 13);
  QCOMPARE(b.currentFrameImage(), res("frame-13.png"));
}

void TestReloadButton::restartCancelsPendingStop() {
  // A page that starts loading again before the turn ends keeps the spinner going.
  QtReloadButton b;
  b.startAnimation();
  tick(b, 5);
  b.stopAnimation();
  b.startAnimation();
  tick(b, 25);
  QVERIFY(b.isAnimating());
  QCOMPARE(b.currentFrameImage(), res("frame-0.png"));
  b.stopAnimation();
  tick(b, 30);
  QVERIFY(!b.isAnimating());
  QCOMPARE(b.frame(), 60);
}

void TestReloadButton::realTimerCompletesTheTurn() {
  QtReloadButton b;
  b.startAnimation();
  QTest::qWait(100);
  b.stopAnimation();
  QTRY_VERIFY_WITH_TIMEOUT(!b.isAnimating(), 5000);
  QCOMPARE(b.frame(), 30);
  QCOMPARE(b.currentFrameImage(), res("reload0.png"));
}

QTEST_MAIN(TestReloadButton)
#include "test_reloadbutton.moc"

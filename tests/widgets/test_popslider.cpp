#include "widgets/qtpopslider.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSlider>
#include <QTimer>
#include <QtTest>

namespace {

QTimer *timer(QtPopSlider &s, const char *name) {
  return s.findChild<QTimer *>(QString::fromLatin1(name));
}

void pointer(QWidget *w, bool in) {
  QEvent e(in ? QEvent::Enter : QEvent::Leave);
  QCoreApplication::sendEvent(w, &e);
}

} // namespace

class TestPopSlider : public QObject {
  Q_OBJECT
private slots:
  void valueRangeAndSignal();
  void requestsSwitchTheTimers();
  void pointerOverSliderHoldsItOpen();
  void showTimerEmitsAfterDelay();
  void crossingQuicklyNeverShows();
  void hideTimerHides();
};

void TestPopSlider::valueRangeAndSignal() {
  QtPopSlider s;
  QCOMPARE(s.value(), 50);
  QCOMPARE(s.slider()->minimum(), 0);
  QCOMPARE(s.slider()->maximum(), 100);
  QCOMPARE(s.slider()->orientation(), Qt::Vertical);
  QSignalSpy changed(&s, &QtPopSlider::valueChanged);
  s.slider()->setValue(80); // as a drag would
  QCOMPARE(changed.count(), 1);
  QCOMPARE(changed.at(0).at(0).toInt(), 80);
  s.setValue(20);
  QCOMPARE(s.value(), 20);
  QCOMPARE(changed.last().at(0).toInt(), 20);
  QVERIFY(s.windowFlags() & Qt::Tool);
  QVERIFY(s.windowFlags() & Qt::FramelessWindowHint);
}

void TestPopSlider::requestsSwitchTheTimers() {
  QtPopSlider s;
  QTimer *show = timer(s, "showTimer");
  QTimer *hide = timer(s, "hideTimer");
  QVERIFY(show && hide);
  QVERIFY(!show->isActive() && !hide->isActive());

  s.requestShow();
  QVERIFY(show->isActive());
  QCOMPARE(show->interval(), 500);
  QVERIFY(!hide->isActive());

  s.requestHide();
  QVERIFY(!show->isActive());
  QVERIFY(hide->isActive());
  QCOMPARE(hide->interval(), 500);

  s.requestShow();
  QVERIFY(show->isActive());
  QVERIFY(!hide->isActive());
}

void TestPopSlider::pointerOverSliderHoldsItOpen() {
  QtPopSlider s;
  QTimer *hide = timer(s, "hideTimer");
  s.requestHide(); // the pointer left the owner's button
  pointer(&s, true);
  QVERIFY(!hide->isActive());
  pointer(&s, false);
  QVERIFY(hide->isActive());
  QCOMPARE(hide->interval(), 500);
}

void TestPopSlider::showTimerEmitsAfterDelay() {
  QtPopSlider s;
  QSignalSpy shown(&s, &QtPopSlider::showSlider);
  QElapsedTimer clock;
  clock.start();
  s.requestShow();
  QVERIFY(shown.wait(3000));
  // Coarse timers may fire up to 5 % early.
  QVERIFY2(clock.elapsed() >= 470, qPrintable(QString::number(clock.elapsed())));
  QCOMPARE(shown.count(), 1);
  // Showing is the owner's business: the slider only asks.
  QVERIFY(!s.isVisible());
}

void TestPopSlider::crossingQuicklyNeverShows() {
  QtPopSlider s;
  QSignalSpy shown(&s, &QtPopSlider::showSlider);
  s.requestShow();
  QTest::qWait(150);
  s.requestHide();
  QTest::qWait(700);
  QCOMPARE(shown.count(), 0);
}

void TestPopSlider::hideTimerHides() {
  QtPopSlider s;
  s.show();
  s.requestHide();
  QVERIFY(s.isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(!s.isVisible(), 3000);
}

QTEST_MAIN(TestPopSlider)
#include "test_popslider.moc"

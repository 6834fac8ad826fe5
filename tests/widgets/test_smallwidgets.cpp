#include "imagecompare.h"
#include "widgets/exlabel.h"
#include "widgets/myscrollarea.h"
#include "widgets/qdialogprogress.h"
#include "widgets/qprogressindicator.h"
#include "widgets/qtcustomwidget.h"
#include "widgets/qtmenuitem.h"
#include "widgets/qtmybutton.h"
#include "widgets/qtmyslider.h"
#include "widgets/qtrotatewidget.h"

#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest>

using imagecompare::samePicture;

namespace {

QImage render(QWidget &w) {
  QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  w.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
  return img;
}

int paintedPixels(const QImage &img) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += qAlpha(img.pixel(x, y)) > 0;
  return n;
}

void pointer(QWidget *w, bool in) {
  QEvent e(in ? QEvent::Enter : QEvent::Leave);
  QCoreApplication::sendEvent(w, &e);
}

} // namespace

class TestSmallWidgets : public QObject {
  Q_OBJECT
private slots:
  void indicatorTurnsWhileAnimated();
  void indicatorPaintsOnlyWhenItShould();
  void progressBoxShowsAndHides();
  void progressBoxNewProgressCancelsHide();
  void scrollAreaReportsWheelWithoutScrolling();
  void exLabelReportsEvents();
  void customWidgetReportsResizeAndHover();
  void avatarButtonLayers();
  void menuItemHoverAndClick();
  void mySliderJumpsToClick();
  void rotateWidgetsShareOneAngle();
};

void TestSmallWidgets::indicatorTurnsWhileAnimated() {
  QProgressIndicator ind;
  QCOMPARE(ind.animationDelay(), 40);
  QVERIFY(!ind.isAnimated());
  ind.startAnimation();
  QVERIFY(ind.isAnimated());
  const int first = ind.angleStep();
  QTRY_VERIFY(ind.angleStep() != first);
  ind.setAnimationDelay(10);
  QCOMPARE(ind.animationDelay(), 10);
  QVERIFY(ind.isAnimated());
  const int now = ind.angleStep();
  QTRY_VERIFY(ind.angleStep() != now);
  ind.stopAnimation();
  QVERIFY(!ind.isAnimated());
  const int stopped = ind.angleStep();
  QTest::qWait(60);
  QCOMPARE(ind.angleStep(), stopped);
}

void TestSmallWidgets::indicatorPaintsOnlyWhenItShould() {
  QProgressIndicator ind;
  ind.resize(32, 32);
  ind.setColor(QColor(200, 0, 0));
  QCOMPARE(paintedPixels(render(ind)), 0);
  ind.setDisplayedWhenStopped(true);
  const QImage still = render(ind);
  QVERIFY(paintedPixels(still) > 50);
  // The bars take the indicator's colour and fade: not all equally opaque.
  int reddish = 0, minAlpha = 255, maxAlpha = 0;
  for (int y = 0; y < still.height(); ++y)
    for (int x = 0; x < still.width(); ++x) {
      const QColor c = QColor::fromRgba(still.pixel(x, y));
      if (c.alpha() < 40) continue;
      reddish += c.red() > 0 && c.green() == 0 && c.blue() == 0;
      minAlpha = qMin(minAlpha, c.alpha());
      maxAlpha = qMax(maxAlpha, c.alpha());
    }
  QVERIFY(reddish > 20);
  QVERIFY(maxAlpha - minAlpha > 100);
  ind.setDisplayedWhenStopped(false);
  ind.startAnimation();
  QVERIFY(paintedPixels(render(ind)) > 50);
}

void TestSmallWidgets::progressBoxShowsAndHides() {
  QDialogProgress *box = QDialogProgress::instance();
  QCOMPARE(QDialogProgress::instance(), box);
  QCOMPARE(box->labelProgress()->text(), QStringLiteral("100%"));
  QVERIFY(box->windowFlags() & Qt::FramelessWindowHint);
  QVERIFY(box->testAttribute(Qt::WA_TranslucentBackground));

  emit box->showProgress(QStringLiteral("正在上传文件"), 42);
  QVERIFY(!box->isVisible()); // queued: the box changes on its own thread's loop
  QTRY_VERIFY(box->isVisible());
  QCOMPARE(box->labelProgress()->text(), QStringLiteral("42%"));
  QCOMPARE(box->labelMsg()->text(), QStringLiteral("正在上传文件"));
  QVERIFY(box->labelMsg()->isVisible());
  QVERIFY(box->indicator()->isAnimated());

  emit box->showProgress(QString(), 100);
  QTRY_COMPARE(box->labelProgress()->text(), QStringLiteral("100%"));
  QVERIFY(!box->labelMsg()->isVisible());

  emit box->hideAfter(50);
  QTRY_VERIFY(!box->isVisible());
  QVERIFY(!box->indicator()->isAnimated());
}

void TestSmallWidgets::progressBoxNewProgressCancelsHide() {
  QDialogProgress box;
  box.on_showProgress(QStringLiteral("下载中"), 10);
  box.on_hideAfter(100);
  box.on_showProgress(QStringLiteral("下载中"), 20);
  QTest::qWait(250);
  QVERIFY(box.isVisible());
  box.on_hideAfter(0);
  QVERIFY(!box.isVisible());
}

void TestSmallWidgets::scrollAreaReportsWheelWithoutScrolling() {
  MyScrollArea area;
  auto *content = new QWidget;
  content->resize(2000, 2000);
  area.setWidget(content);
  area.resize(200, 200);
  area.show();
  QSignalSpy wheel(&area, &MyScrollArea::wheel);
  const int before = area.verticalScrollBar()->value();
  QWheelEvent e(QPointF(50, 50), area.mapToGlobal(QPoint(50, 50)), QPoint(), QPoint(0, -120), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(area.viewport(), &e);
  QCOMPARE(wheel.count(), 1);
  QCOMPARE(wheel.at(0).at(0).toInt(), -120);
  QCOMPARE(area.verticalScrollBar()->value(), before);
}

void TestSmallWidgets::exLabelReportsEvents() {
  ExLabel label;
  label.resize(100, 40);
  label.show();
  QSignalSpy press(&label, &ExLabel::mousePress);
  QSignalSpy move(&label, &ExLabel::mouseMove);
  QSignalSpy dbl(&label, &ExLabel::mouseDoubleClick);
  QSignalSpy enter(&label, &ExLabel::enter);
  QSignalSpy leave(&label, &ExLabel::leave);
  QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(10, 10));
  QMouseEvent m(QEvent::MouseMove, QPointF(20, 12), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&label, &m);
  QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(20, 12));
  QTest::mouseDClick(&label, Qt::LeftButton, {}, QPoint(20, 12));
  pointer(&label, true);
  pointer(&label, false);
  QVERIFY(press.count() >= 1);
  QCOMPARE(move.count(), 1);
  QCOMPARE(dbl.count(), 1);
  QCOMPARE(enter.count(), 1);
  QCOMPARE(leave.count(), 1);
}

void TestSmallWidgets::customWidgetReportsResizeAndHover() {
  QtCustomWidget w;
  w.show();
  QSignalSpy resized(&w, &QtCustomWidget::resized);
  QSignalSpy enter(&w, &QtCustomWidget::enter);
  QSignalSpy leave(&w, &QtCustomWidget::leave);
  w.resize(320, 180);
  QCOMPARE(resized.count(), 1);
  QCOMPARE(resized.at(0).at(0).toSize(), QSize(320, 180));
  pointer(&w, true);
  pointer(&w, false);
  QCOMPARE(enter.count(), 1);
  QCOMPARE(leave.count(), 1);
}

void TestSmallWidgets::avatarButtonLayers() {
  QWidget bar;
  bar.setStyleSheet(QStringLiteral("background-color: rgb(255, 220, 0);"));
  QtMyButton b(&bar);
  b.setFixedSize(36, 36);
  bar.show();
  QVERIFY(samePicture(b.labelAvatar()->pixmap(Qt::ReturnByValue), "avatar_default.png"));
  QVERIFY(samePicture(b.labelMask()->pixmap(Qt::ReturnByValue), "avatar_mask.png"));
  QCOMPARE(b.labelAvatar()->geometry(), b.rect());
  QCOMPARE(b.labelMask()->geometry(), b.rect());
  // The mask lies over the picture, and an owner's background does not hide the picture.
  const QObjectList &kids = b.children();
  QVERIFY(kids.indexOf(b.labelMask()) > kids.indexOf(b.labelAvatar()));
  const QImage shown = b.grab().toImage();
  QVERIFY(QColor(shown.pixel(18, 12)) != QColor(255, 220, 0));

  QPixmap own(50, 50);
  own.fill(Qt::blue);
  b.setAvatar(own);
  QCOMPARE(b.labelAvatar()->pixmap(Qt::ReturnByValue).toImage(), own.toImage());
  b.setAvatar(QPixmap());
  QVERIFY(samePicture(b.labelAvatar()->pixmap(Qt::ReturnByValue), "avatar_default.png"));
}

void TestSmallWidgets::menuItemHoverAndClick() {
  QtMenuItem item(QStringLiteral("info"), QStringLiteral("个人信息"));
  item.resize(160, 40);
  item.show();
  QVERIFY(samePicture(item.labelIcon()->pixmap(Qt::ReturnByValue), "info.png"));
  QCOMPARE(item.text(), QStringLiteral("个人信息"));
  QCOMPARE(item.labelText()->styleSheet(), QStringLiteral("color: rgb(37, 27, 24);\nfont: 75 12px \"微软雅黑\";"));
  pointer(&item, true);
  QVERIFY(item.isHovered());
  QWidget *row = item.findChild<QWidget *>(QStringLiteral("widgetRow"));
  QVERIFY(row && row->styleSheet().contains(QStringLiteral("background-color: rgb(235, 236, 237);")));
  pointer(&item, false);
  QVERIFY(!row->styleSheet().contains(QStringLiteral("235, 236, 237")));

  QSignalSpy clicked(&item, &QtMenuItem::clicked);
  QTest::mouseClick(&item, Qt::LeftButton, {}, QPoint(50, 20));
  QCOMPARE(clicked.count(), 1);
  // Pressed on the row but released elsewhere: no click.
  QTest::mousePress(&item, Qt::LeftButton, {}, QPoint(50, 20));
  QTest::mouseRelease(&item, Qt::LeftButton, {}, QPoint(50, 200));
  QCOMPARE(clicked.count(), 1);
}

void TestSmallWidgets::mySliderJumpsToClick() {
  QtMySlider s;
  s.resize(220, 22);
  s.show();
  QCOMPARE(s.orientation(), Qt::Horizontal);
  s.setValue(0);
  QSignalSpy changed(&s, &QSlider::valueChanged);
  // The handle's centre runs from 10 to 210: x = 160 is three quarters along.
  QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(160, 11));
  QCOMPARE(s.value(), 75);
  QCOMPARE(changed.count(), 1);
  QCOMPARE(s.handleRect().center().x(), 159);
  QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(500, 11));
  QCOMPARE(s.value(), 100);
  QCOMPARE(s.handleRect().right(), 219);
}

void TestSmallWidgets::rotateWidgetsShareOneAngle() {
  QtRotateWidget a, b;
  a.resize(25, 25);
  b.resize(25, 25);
  const int start = QtRotateWidget::sharedAngle();
  render(a);
  QCOMPARE(QtRotateWidget::sharedAngle(), (start + 1) % 360);
  render(b);
  QCOMPARE(QtRotateWidget::sharedAngle(), (start + 2) % 360);
  for (int i = 0; i < 360; ++i) render(a);
  QCOMPARE(QtRotateWidget::sharedAngle(), (start + 2) % 360);
  QVERIFY(paintedPixels(render(a)) > 20);
}

QTEST_MAIN(TestSmallWidgets)
#include "test_smallwidgets.moc"

#include "imagecompare.h"
#include "widgets/qtbackimagebutton.h"
#include "widgets/qtimagebutton.h"
#include "widgets/qtimagebutton2.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

using imagecompare::res;
using imagecompare::samePicture;

namespace {

void hover(QWidget *w, bool in) {
  QEvent e(in ? QEvent::Enter : QEvent::Leave);
  QCoreApplication::sendEvent(w, &e);
}

QPixmap shownIcon(const QtImageButton &b) { return b.icon().pixmap(b.iconSize()); }

// Blending rounds differently on different paint paths; a bevel would differ by far more.
bool close(QRgb a, QRgb b) {
  return qAbs(qRed(a) - qRed(b)) <= 2 && qAbs(qGreen(a) - qGreen(b)) <= 2 && qAbs(qBlue(a) - qBlue(b)) <= 2;
}

} // namespace

class TestImageButtons : public QObject {
  Q_OBJECT
private slots:
  void pictureFollowsEveryState();
  void disabledWinsOverHover();
  void hoverImagesOff();
  void emptyNameLeavesIconAlone();
  void iconSizeIsButtonSize();
  void paintsOnlyThePicture();
  void enterAndLeaveSignals();
  void captionColourSwitching();
  void backImageCaption();
};

void TestImageButtons::pictureFollowsEveryState() {
  QtImageButton b(QStringLiteral("yellow_button"));
  b.resize(110, 36);
  b.show();
  QCOMPARE(b.currentImage(), res("yellow_button.png"));
  QVERIFY(samePicture(shownIcon(b), "yellow_button.png"));

  hover(&b, true);
  QCOMPARE(b.currentImage(), res("yellow_button_hover.png"));
  QVERIFY(samePicture(shownIcon(b), "yellow_button_hover.png"));

  hover(&b, false);
  QCOMPARE(b.currentImage(), res("yellow_button.png"));

  b.setEnabled(false);
  QCOMPARE(b.currentImage(), res("yellow_button_disabled.png"));
  QVERIFY(samePicture(shownIcon(b), "yellow_button_disabled.png"));

  // A new name takes effect at once, in the current state.
  b.setImageName(QStringLiteral("gray_button"));
  QCOMPARE(b.currentImage(), res("gray_button_disabled.png"));
  b.setEnabled(true);
  QCOMPARE(b.currentImage(), res("gray_button.png"));
}

void TestImageButtons::disabledWinsOverHover() {
  QtImageButton b(QStringLiteral("mic_on"));
  hover(&b, true);
  b.setEnabled(false);
  QCOMPARE(b.currentImage(), res("mic_on_disabled.png"));
  hover(&b, true);
  QCOMPARE(b.currentImage(), res("mic_on_disabled.png"));
  // Enabled again while the pointer is still over it: the hover picture comes back.
  b.setEnabled(true);
  QCOMPARE(b.currentImage(), res("mic_on_hover.png"));
}

void TestImageButtons::hoverImagesOff() {
  QtImageButton b(QStringLiteral("pop_close"));
  b.setHoverImages(false);
  hover(&b, true);
  QVERIFY(b.isHovered());
  QCOMPARE(b.currentImage(), res("pop_close.png"));
  b.setHoverImages(true);
  QCOMPARE(b.currentImage(), res("pop_close_hover.png"));
}

void TestImageButtons::emptyNameLeavesIconAlone() {
  QtImageButton b;
  QPixmap own(8, 8);
  own.fill(Qt::red);
  b.setIcon(QIcon(own));
  const qint64 key = b.icon().cacheKey();
  hover(&b, true);
  b.setEnabled(false);
  QCOMPARE(b.icon().cacheKey(), key);
  QVERIFY(b.currentImage().isEmpty());
}

void TestImageButtons::iconSizeIsButtonSize() {
  QtImageButton b(QStringLiteral("pop_close"));
  QCOMPARE(b.size(), QSize(25, 25));
  b.show();
  b.resize(89, 50);
  QCOMPARE(b.iconSize(), QSize(89, 50));
  hover(&b, true);
  QCOMPARE(b.iconSize(), QSize(89, 50));
}

void TestImageButtons::paintsOnlyThePicture() {
  // The button's own painting must be exactly the picture over its background: no bevel,
  // no focus frame, no greyed-out copy of a disabled picture.
  for (bool enabled : {true, false}) {
    QWidget host;
    host.setStyleSheet(QStringLiteral("background: rgb(10, 200, 10);"));
    host.resize(110, 36);
    QtImageButton b(QStringLiteral("yellow_button"), &host);
    b.resize(110, 36);
    b.setEnabled(enabled);
    host.show();
    const QImage shown = host.grab().toImage().convertToFormat(QImage::Format_ARGB32);

    QImage want(110, 36, QImage::Format_ARGB32);
    want.fill(QColor(10, 200, 10));
    QPainter p(&want);
    p.drawImage(0, 0, QImage(res(enabled ? "yellow_button.png" : "yellow_button_disabled.png")));
    p.end();
    for (int y = 0; y < 36; ++y)
      for (int x = 0; x < 110; ++x)
        if (!close(shown.pixel(x, y), want.pixel(x, y)))
          QFAIL(qPrintable(QStringLiteral("pixel %1,%2: %3 instead of %4").arg(x).arg(y)
                               .arg(shown.pixel(x, y), 8, 16).arg(want.pixel(x, y), 8, 16)));
  }
}

void TestImageButtons::enterAndLeaveSignals() {
  QtImageButton b(QStringLiteral("pop_close"));
  QSignalSpy entered(&b, &QtImageButton::enter);
  QSignalSpy left(&b, &QtImageButton::leave);
  hover(&b, true);
  QCOMPARE(entered.count(), 1);
  QCOMPARE(left.count(), 0);
  // The picture is already the hover one when the signal arrives.
  connect(&b, &QtImageButton::leave, this, [&b] { QCOMPARE(b.currentImage(), res("pop_close.png")); });
  hover(&b, false);
  QCOMPARE(left.count(), 1);
}

void TestImageButtons::captionColourSwitching() {
  QtImageButton2 b(QStringLiteral("yellow_button"));
  QVERIFY(b.label());
  QCOMPARE(b.label()->objectName(), QStringLiteral("label"));
  b.label()->setStyleSheet(QStringLiteral("color: blue;"));
  hover(&b, true);
  QCOMPARE(b.label()->styleSheet(), QStringLiteral("color: blue;")); // switching is off

  b.setColorSwitching(true);
  QCOMPARE(b.label()->styleSheet(), QStringLiteral("color: #FE4904; font: 75 12px \"微软雅黑\";"));
  hover(&b, false);
  QCOMPARE(b.label()->styleSheet(), QStringLiteral("color: #999999; font: 75 12px \"微软雅黑\";"));
  b.setEnabled(false);
  QCOMPARE(b.label()->styleSheet(), QStringLiteral("color: #999999; font: 75 12px \"微软雅黑\";"));
  QCOMPARE(b.currentImage(), res("yellow_button_disabled.png"));
}

void TestImageButtons::backImageCaption() {
  QtBackImageButton b(QStringLiteral("gray_button"));
  b.resize(110, 36);
  b.setCaptionText(QStringLiteral("取消"));
  QLabel *caption = b.findChild<QLabel *>(QStringLiteral("labelText"));
  QVERIFY(caption);
  QCOMPARE(caption->text(), QStringLiteral("取消"));
  QCOMPARE(caption->styleSheet(), QStringLiteral("font: 14px \"微软雅黑\";\nbackground-color: rgba(255, 255, 255, 0);"));
  QVERIFY(caption->alignment() & Qt::AlignHCenter);
  b.show();
  QApplication::processEvents();
  // Centred by the layout over the whole button, and clicks pass through it.
  QCOMPARE(caption->geometry(), b.rect());
  QCOMPARE(b.childAt(55, 18), nullptr);
  b.setCaptionStyle(QStringLiteral("color: red;"));
  QCOMPARE(caption->styleSheet(), QStringLiteral("color: red;"));
}

QTEST_MAIN(TestImageButtons)
#include "test_imagebuttons.moc"

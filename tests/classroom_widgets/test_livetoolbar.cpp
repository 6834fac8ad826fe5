// The live toolbar: what its buttons ask of the classroom, the images the classroom's calls
// leave, and the delayed volume sliders.

#include "classroom_widgets/qtlivetoolbar.h"
#include "classroom_widgets/qtsuperbutton.h"
#include "widgets/qtimagebutton2.h"
#include "widgets/qtpopslider.h"

#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace {

QtImageButton2 *button(QtLiveToolBar &bar, const char *name) {
  return bar.findChild<QtImageButton2 *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

QString image(const QString &file) { return QStringLiteral(":/res/Resources/") + file; }

} // namespace

class TestLiveToolBar : public QObject {
  Q_OBJECT

private slots:
  void startsWithBothDevicesOn() {
    QtLiveToolBar bar;
    QCOMPARE(bar.size(), QSize(849, 80));
    QVERIFY(bar.autoFillBackground());
    QCOMPARE(bar.palette().color(bar.backgroundRole()), QColor(Qt::white));
    QVERIFY(bar.isMicOn());
    QVERIFY(bar.isSpeakerOn());
    QCOMPARE(button(bar, "btnMic")->currentImage(), image(QStringLiteral("mic_on.png")));
    QCOMPARE(button(bar, "btnSpeaker")->currentImage(), image(QStringLiteral("speaker_on.png")));
    QCOMPARE(button(bar, "btnMic")->label()->text(), QStringLiteral("麦克风"));
    QCOMPARE(button(bar, "btnSpeaker")->label()->text(), QStringLiteral("扬声器"));
    QCOMPARE(button(bar, "btnMic")->label()->geometry(), QRect(0, 32, 50, 18));
    QVERIFY(bar.superButton());
    QCOMPARE(bar.superButton()->parentWidget(), &bar);
    QCOMPARE(bar.micSlider()->size(), QSize(46, 121));
  }

  // Each button asks for the opposite of what the toolbar shows, and changes nothing itself.
  void clicksAskTheClassroom_data() {
    QTest::addColumn<QString>("device");
    QTest::newRow("microphone") << "mic";
    QTest::newRow("speaker") << "speaker";
  }

  void clicksAskTheClassroom() {
    QFETCH(QString, device);
    const bool mic = device == QLatin1String("mic");
    QtLiveToolBar bar;
    QtImageButton2 *btn = button(bar, mic ? "btnMic" : "btnSpeaker");
    QSignalSpy on(&bar, mic ? &QtLiveToolBar::micOnRequested : &QtLiveToolBar::speakerOnRequested);
    QSignalSpy off(&bar, mic ? &QtLiveToolBar::micOffRequested : &QtLiveToolBar::speakerOffRequested);

    QTest::mouseClick(btn, Qt::LeftButton);
    QCOMPARE(off.count(), 1);
    QCOMPARE(on.count(), 0);
    QCOMPARE(btn->imageName(), device + QStringLiteral("_on"));

    mic ? bar.setMicOff() : bar.setSpeakerOff();
    QCOMPARE(btn->currentImage(), image(device + QStringLiteral("_off.png")));
    QTest::mouseClick(btn, Qt::LeftButton);
    QCOMPARE(on.count(), 1);
    QCOMPARE(off.count(), 1);

    mic ? bar.setMicEnabled(false) : bar.setSpeakerEnabled(false);
    QCOMPARE(btn->currentImage(), image(device + QStringLiteral("_off_disabled.png")));
    mic ? bar.setMicOn() : bar.setSpeakerOn();
    QCOMPARE(btn->currentImage(), image(device + QStringLiteral("_on_disabled.png")));
    QVERIFY(mic ? bar.isMicOn() : bar.isSpeakerOn());
  }

  void volumesGoThroughTheSliders() {
    QtLiveToolBar bar;
    QSignalSpy micVol(&bar, &QtLiveToolBar::micVolumeRequested);
    QSignalSpy speakerVol(&bar, &QtLiveToolBar::speakerVolumeRequested);
    bar.setMicVolume(70);
    bar.setSpeakerVolume(15);
    QCOMPARE(bar.micVolume(), 70);
    QCOMPARE(bar.speakerVolume(), 15);
    QCOMPARE(micVol.count(), 1);
    QCOMPARE(micVol.at(0).at(0).toInt(), 70);
    QCOMPARE(speakerVol.count(), 1);
    QCOMPARE(speakerVol.at(0).at(0).toInt(), 15);

    bar.speakerSlider()->setValue(33); // the student drags the slider
    QCOMPARE(speakerVol.count(), 2);
    QCOMPARE(speakerVol.at(1).at(0).toInt(), 33);
    QCOMPARE(micVol.count(), 1);
  }

  void sliderPopsUpAboveItsButtonAfterADelay() {
    QWidget window;
    window.resize(900, 400);
    QtLiveToolBar bar(&window);
    bar.move(20, 300);
    window.show();
    QtImageButton2 *btn = button(bar, "btnSpeaker");
    QtPopSlider *slider = bar.speakerSlider();

    emit btn->enter();
    QTest::qWait(300);
    QVERIFY(!slider->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(slider->isVisible(), 1000);
    QVERIFY(!bar.micSlider()->isVisible());
    const QPoint top = btn->mapToGlobal(QPoint(btn->width() / 2, 0));
    QVERIFY(qAbs(slider->x() + slider->width() / 2 - top.x()) <= 1);
    QCOMPARE(slider->y() + slider->height() + QtLiveToolBar::kSliderGap, top.y());

    emit btn->leave();
    QTRY_VERIFY_WITH_TIMEOUT(!slider->isVisible(), 1500);
  }

  void pointerCrossingTheButtonNeverPopsTheSlider() {
    QtLiveToolBar bar;
    bar.show();
    QtImageButton2 *btn = button(bar, "btnMic");
    emit btn->enter();
    QTest::qWait(150);
    emit btn->leave();
    QTest::qWait(800);
    QVERIFY(!bar.micSlider()->isVisible());
  }

  void disabledButtonNeverPopsTheSlider() {
    QtLiveToolBar bar;
    bar.show();
    bar.setMicEnabled(false);
    emit button(bar, "btnMic")->enter();
    QTest::qWait(800);
    QVERIFY(!bar.micSlider()->isVisible());
  }
};

QTEST_MAIN(TestLiveToolBar)
#include "test_livetoolbar.moc"

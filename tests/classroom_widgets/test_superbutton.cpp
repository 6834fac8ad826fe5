// The stage control: what each teacher-driven change leaves visible, which bubble it shows
// and where, and the hand-raise lock with its ring.

#include "classroom_widgets/qtbubble.h"
#include "classroom_widgets/qtsuperbutton.h"
#include "widgets/qtimagebutton.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

QtImageButton *child(QtSuperButton &sb, const char *name) {
  return sb.findChild<QtImageButton *>(QString::fromLatin1(name));
}

// "LMRC" with '-' for a hidden child: left background, microphone, right background, camera.
QString visibility(QtSuperButton &sb) {
  const QWidget *items[] = {sb.findChild<QLabel *>(QStringLiteral("labelBackgroundLeft")), child(sb, "btnMic"),
                            sb.findChild<QLabel *>(QStringLiteral("labelBackgroundRight")), child(sb, "btnCamera")};
  const char marks[] = "LMRC";
  QString out;
  for (int i = 0; i < 4; ++i) out += items[i]->isVisibleTo(&sb) ? QLatin1Char(marks[i]) : QLatin1Char('-');
  return out;
}

void apply(QtSuperButton &sb, const QString &sequence) {
  for (const QString &op : sequence.split(QLatin1Char(','), Qt::SkipEmptyParts))
    QVERIFY2(QMetaObject::invokeMethod(&sb, op.toLatin1().constData()), qPrintable(op));
}

} // namespace

class TestSuperButton : public QObject {
  Q_OBJECT

private slots:
  void startsOffStageWithOnlyTheHand() {
    QtSuperButton sb;
    QCOMPARE(sb.size(), QSize(171, 56));
    QCOMPARE(sb.stageState(), 0);
    QCOMPARE(visibility(sb), QStringLiteral("----"));
    QVERIFY(child(sb, "btnHand")->isVisibleTo(&sb));
    QVERIFY(!child(sb, "btnCircle")->isVisibleTo(&sb));
    QCOMPARE(child(sb, "btnHand")->toolTip(), QStringLiteral("举手"));
    QCOMPARE(child(sb, "btnHand")->currentImage(), QStringLiteral(":/res/Resources/hand.png"));
    QVERIFY(!sb.bubble()->isVisible());
  }

  void stageChanges_data() {
    QTest::addColumn<QString>("sequence");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("micEnabled");
    QTest::addColumn<QString>("bubble");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("anchor"); // the child the bubble's tip points at

    const QString staged = QStringLiteral("已上台，请按要求发言");
    const QString onMic = QStringLiteral("已上麦，请按要求发言");
    const QString ended = QStringLiteral("已下台，本次发言结束");
    const QString pause = QStringLiteral("发言暂停，老师正在讲解，请稍候~");
    QTest::newRow("on stage") << "onStage" << 2 << "LMRC" << true << staged << 200 << "btnCamera";
    QTest::newRow("on stage, then its microphone") << "onStage,onMic" << 2 << "LMRC" << true << staged << 200
                                                   << "btnCamera";
    QTest::newRow("paused on stage") << "onStage,onMic,offMic" << 2 << "LMRC" << false << pause << 280 << "btnMic";
    QTest::newRow("resumed after a pause") << "onStage,onMic,offMic,onMic" << 2 << "LMRC" << true << onMic << 200
                                           << "btnMic";
    QTest::newRow("camera off while paused") << "onStage,offMic,offCamera" << 0 << "----" << true << ended << 200
                                             << "btnHand";
    QTest::newRow("camera off while speaking") << "onStage,onMic,offCamera" << 1 << "LM--" << true
                                               << QStringLiteral("摄像头已关闭") << 200 << "btnHand";
    QTest::newRow("off stage") << "onStage,offStage" << 0 << "----" << true << ended << 200 << "btnHand";
    QTest::newRow("on mic") << "onMic" << 1 << "LM--" << true << onMic << 200 << "btnMic";
    QTest::newRow("off mic") << "onMic,offMic" << 0 << "----" << true << QStringLiteral("已下麦，本次发言结束")
                             << 200 << "btnHand";
    QTest::newRow("on stage from on mic") << "onMic,onStage" << 2 << "LMRC" << true << staged << 200 << "btnCamera";
  }

  void stageChanges() {
    QFETCH(QString, sequence);
    QFETCH(int, state);
    QFETCH(QString, shown);
    QFETCH(bool, micEnabled);
    QFETCH(QString, bubble);
    QFETCH(int, width);
    QFETCH(QString, anchor);

    QWidget window;
    window.resize(600, 300);
    QtSuperButton sb(&window);
    sb.move(200, 150);
    window.move(40, 60);
    window.show();
    apply(sb, sequence);

    QCOMPARE(sb.stageState(), state);
    QCOMPARE(visibility(sb), shown);
    if (shown.contains(QLatin1Char('M'))) QCOMPARE(child(sb, "btnMic")->isEnabledTo(&sb), micEnabled);
    QVERIFY(child(sb, "btnHand")->isVisibleTo(&sb));

    QtBubble *b = sb.bubble();
    QVERIFY(b->isVisible());
    QCOMPARE(b->text(), bubble);
    QCOMPARE(b->width(), width);
    // The tip (the bubble's middle) stands over the named child and dips 12 px into the control.
    const QWidget *target = sb.findChild<QWidget *>(anchor);
    const int targetX = target->mapToGlobal(QPoint(target->width() / 2, 0)).x();
    QVERIFY2(qAbs(b->x() + b->width() / 2 - targetX) <= 1,
             qPrintable(QStringLiteral("bubble centre %1, %2 centre %3").arg(b->x() + b->width() / 2).arg(anchor).arg(targetX)));
    QCOMPARE(b->y() + b->height(), sb.mapToGlobal(QPoint(0, 0)).y() + 12);
  }

  void justStagedLastsUntilTheNextChange() {
    QtSuperButton sb;
    sb.onStage();
    QVERIFY(sb.justStaged());
    sb.onMic();
    QVERIFY(!sb.justStaged());
    sb.onStage();
    sb.offMic();
    QVERIFY(!sb.justStaged());
    sb.onStage();
    sb.offCamera(); // the microphone is enabled again on stage: back to audio only
    QVERIFY(!sb.justStaged());
    QCOMPARE(sb.stageState(), 1);
  }

  void callsThatChangeNothingShowNothing() {
    QtSuperButton sb;
    sb.offMic();
    QCOMPARE(sb.stageState(), 0);
    QVERIFY(!sb.bubble()->isVisible());

    sb.onMic();
    sb.timerHideBubbleTimeout();
    sb.onMic();
    QCOMPARE(sb.stageState(), 1);
    QCOMPARE(visibility(sb), QStringLiteral("LM--"));
    QVERIFY(!sb.bubble()->isVisible());
    QVERIFY(sb.bubble()->text().isEmpty());
    QVERIFY(!sb.justStaged());
  }

  void bubbleHidesThreeSecondsAfterTheLastOne() {
    QtSuperButton sb;
    auto *timer = sb.findChild<QTimer *>(QStringLiteral("bubbleTimer"));
    QVERIFY(timer);
    sb.onMic();
    QTest::qWait(400);
    sb.offMic();
    QVERIFY2(timer->remainingTime() > 2800, "a new bubble restarts the 3-second timer");
    QTest::qWait(2000);
    QVERIFY(sb.bubble()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!sb.bubble()->isVisible(), 3000);
    QVERIFY(sb.bubble()->text().isEmpty());
    QCOMPARE(sb.bubble()->width(), 0);
    QCOMPARE(sb.bubble()->pos(), QPoint(0, 0));
  }

  void raisedHandIsLockedForOneTurnOfTheRing() {
    QtSuperButton sb;
    sb.show();
    QSignalSpy raised(&sb, &QtSuperButton::handRaised);
    QtImageButton *hand = child(sb, "btnHand");
    QtImageButton *ring = child(sb, "btnCircle");
    auto *timer = sb.findChild<QTimer *>(QStringLiteral("circleTimer"));
    QTest::mouseClick(hand, Qt::LeftButton);
    timer->setInterval(60 * 60 * 1000); // the ticks are driven by hand below
    QCOMPARE(raised.count(), 1);
    QVERIFY(!hand->isEnabled());
    QCOMPARE(hand->currentImage(), QStringLiteral(":/res/Resources/hand_disabled.png"));
    QVERIFY(ring->isVisible());

    for (int frame = 1; frame < 50; ++frame) {
      sb.onTimeout();
      QCOMPARE(ring->imageName(), QStringLiteral("circle_%1").arg(frame));
      QCOMPARE(sb.circleFrame(), frame);
      if (frame == 25) {
        QTest::mouseClick(hand, Qt::LeftButton);
        QCOMPARE(raised.count(), 1);
      }
    }
    QVERIFY(!hand->isEnabled());
    QVERIFY(timer->isActive());
    sb.onTimeout();
    QCOMPARE(sb.circleFrame(), 0);
    QCOMPARE(ring->imageName(), QStringLiteral("circle_0"));
    QVERIFY(hand->isEnabled());
    QVERIFY(!ring->isVisible());
    QVERIFY(!timer->isActive());

    QTest::mouseClick(hand, Qt::LeftButton);
    QCOMPARE(raised.count(), 2);
  }

  void ringRunsOnItsOwnTimer() {
    QtSuperButton sb;
    sb.show();
    QtImageButton *hand = child(sb, "btnHand");
    QTest::mouseClick(hand, Qt::LeftButton);
    QTest::qWait(1000);
    QVERIFY(sb.circleFrame() >= 1 && sb.circleFrame() <= 11);
    QVERIFY(!hand->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(hand->isEnabled(), 8000);
    QCOMPARE(sb.circleFrame(), 0);
  }
};

QTEST_MAIN(TestSuperButton)
#include "test_superbutton.moc"

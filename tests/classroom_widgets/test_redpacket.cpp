// The reward red packet: countdown texts, opening by itself or on a click (also through the
// animation layers lying over the button), one coin sound, the frames, the amount, and the
// dialog destroying itself after it has closed.

#include "classroom_widgets/qtredpacket.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

template <typename T> T *part(QtRedPacket *p, const char *name) {
  T *w = p->findChild<T *>(QString::fromLatin1(name));
  if (!w) qFatal("missing child %s", name);
  return w;
}

QImage resourceImage(const QString &file) {
  return QImage(QStringLiteral(":/res/Resources/") + file).convertToFormat(QImage::Format_ARGB32);
}

bool shows(QLabel *label, const QString &file) {
  const QImage expected = resourceImage(file);
  return !expected.isNull() && label->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_ARGB32) == expected;
}

// Holds the real opening timer back so that the frames can be stepped one by one.
void freezeOpening(QtRedPacket *p) { part<QTimer>(p, "openTimer")->setInterval(60 * 60 * 1000); }

} // namespace

class TestRedPacket : public QObject {
  Q_OBJECT

private slots:
  void countdownStepsFromFiveToOneThenOpens() {
    QPointer<QtRedPacket> p = new QtRedPacket;
    QSignalSpy sound(p.data(), &QtRedPacket::playSound);
    auto *button = part<QPushButton>(p, "lbButtonText");
    QCOMPARE(button->text(), QStringLiteral("立即打开(5)"));
    for (int left = 4; left >= 1; --left) {
      p->onTimer3out();
      QCOMPARE(button->text(), QStringLiteral("立即打开(%1)").arg(left));
      QCOMPARE(sound.count(), 0);
    }
    p->onTimer3out();
    QCOMPARE(button->text(), QStringLiteral("立即打开(1)")); // 0 is never shown
    QVERIFY(!part<QTimer>(p, "countdownTimer")->isActive());
    QVERIFY(part<QTimer>(p, "openTimer")->isActive());
    QCOMPARE(sound.count(), 1);
    QCOMPARE(sound.at(0).at(0).toString(), QStringLiteral("coin.wav"));
    delete p;
  }

  void framesThenAmountThenClose() {
    QPointer<QtRedPacket> p = new QtRedPacket;
    auto *packet = part<QLabel>(p, "lbRedPacket");
    auto *amountRow = part<QWidget>(p, "widgetAmount");
    auto *amount = part<QLabel>(p, "labelAmount");
    QVERIFY(shows(packet, QStringLiteral("red_packet_01.png")));
    p->setAmount(25);
    QCOMPARE(amount->text(), QStringLiteral("10")); // stored only, until it opens

    p->onButtonClicked();
    freezeOpening(p);
    for (int frame = 1; frame <= 3; ++frame) {
      p->onTimer2out();
      QVERIFY2(shows(packet, QStringLiteral("red_packet_0%1.png").arg(frame)), qPrintable(QString::number(frame)));
      QVERIFY(!part<QWidget>(p, "lbButtonText")->isHidden());
      QVERIFY(amountRow->isHidden());
    }
    p->onTimer2out();
    QVERIFY(shows(packet, QStringLiteral("red_packet_04.png")));
    QVERIFY(part<QWidget>(p, "lbButtonText")->isHidden());
    QVERIFY(part<QWidget>(p, "lbButtonBackground")->isHidden());
    QVERIFY(part<QWidget>(p, "lbMessage")->isHidden());
    QVERIFY(!amountRow->isHidden());
    QCOMPARE(amount->text(), QStringLiteral("25"));
    QVERIFY(!part<QTimer>(p, "openTimer")->isActive());
    QVERIFY(part<QTimer>(p, "closeTimer")->isActive());

    p->onTimer4out();
    QTRY_VERIFY(p.isNull()); // deleted on close
  }

  void defaultAmountIsTen() {
    QtRedPacket p;
    p.onButtonClicked();
    freezeOpening(&p);
    for (int i = 0; i < 4; ++i) p.onTimer2out();
    QCOMPARE(part<QLabel>(&p, "labelAmount")->text(), QStringLiteral("10"));
  }

  void longAmountIsNotClipped() {
    QtRedPacket p;
    p.setAmount(1234567);
    p.onButtonClicked();
    freezeOpening(&p);
    for (int i = 0; i < 4; ++i) p.onTimer2out();
    auto *row = part<QWidget>(&p, "widgetAmount");
    QVERIFY(row->width() >= row->layout()->sizeHint().width());
    QVERIFY(qAbs(row->geometry().center().x() - 250) <= 1);
    QVERIFY(row->geometry().left() >= 0 && row->geometry().right() < 500);
  }

  void rotatingLightLoopsOverElevenFrames() {
    QtRedPacket p;
    auto *light = part<QLabel>(&p, "lbRotation");
    for (int tick = 0; tick < 13; ++tick) {
      p.onTimerout();
      QVERIFY2(shows(light, QStringLiteral("rotation_%1.png").arg(tick % 11)), qPrintable(QString::number(tick)));
    }
  }

  // A real click on the top-level window reaches the button under the full-size layers.
  void clickThroughTheLayersOpensAtOnce_data() {
    QTest::addColumn<int>("dy"); // from the button's centre
    QTest::newRow("centre") << 0;
    QTest::newRow("top edge, under the message line") << -18;
  }

  void clickThroughTheLayersOpensAtOnce() {
    QFETCH(int, dy);
    QPointer<QtRedPacket> p = new QtRedPacket;
    QSignalSpy sound(p.data(), &QtRedPacket::playSound);
    auto *button = part<QPushButton>(p, "lbButtonText");
    QSignalSpy clicked(button, &QPushButton::clicked);
    p->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.data()));

    const QPoint at = button->geometry().center() + QPoint(0, dy);
    QCOMPARE(p->childAt(at), button);
    QTest::mouseClick(p->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(sound.count(), 1);
    QVERIFY(!part<QTimer>(p, "countdownTimer")->isActive());
    QCOMPARE(button->text(), QStringLiteral("立即打开(5)"));

    QTest::mouseClick(p->windowHandle(), Qt::LeftButton, Qt::NoModifier, at); // impatient second click
    QCOMPARE(sound.count(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!part<QWidget>(p, "widgetAmount")->isHidden(), 2000);
    delete p;
  }

  // Without a click: opens at about 5 s, shows the amount, and is gone about 3 s later.
  void opensAndClosesByItself() {
    QPointer<QtRedPacket> p = new QtRedPacket;
    QSignalSpy sound(p.data(), &QtRedPacket::playSound);
    p->setAmount(7);
    p->show();
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(3500);
    QCOMPARE(sound.count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(sound.count(), 1, 5000);
    QVERIFY(clock.elapsed() >= 4500);
    QTRY_VERIFY_WITH_TIMEOUT(!part<QWidget>(p, "widgetAmount")->isHidden(), 2000);
    QCOMPARE(part<QLabel>(p, "labelAmount")->text(), QStringLiteral("7"));
    QTest::qWait(2000);
    QVERIFY(!p.isNull());
    QTRY_VERIFY_WITH_TIMEOUT(p.isNull(), 4000);
    QCOMPARE(sound.count(), 1);
  }
};

QTEST_MAIN(TestRedPacket)
#include "test_redpacket.moc"

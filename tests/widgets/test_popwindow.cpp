#include "widgets/popshadow.h"
#include "widgets/popwindow.h"
#include "widgets/qtimagebutton.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Records what the window looked like when its close hook ran.
class HookedWindow : public PopWindow {
public:
  int hookCalls = 0;
  bool visibleDuringHook = false;

protected:
  void beforeClose() override {
    ++hookCalls;
    visibleDuringHook = isVisible();
  }
};

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

} // namespace

class TestPopWindow : public QObject {
  Q_OBJECT
private slots:
  void shadowGeometry();
  void shadowMask();
  void shadowFollowsGivenGeometry();
  void frameLayout();
  void titleBarKeptOnResize();
  void shadowLifecycle();
  void closeButtonCallsHookFirst();
  void plainCloseSkipsHook();
  void dragFromFreeSpot();
};

void TestPopWindow::shadowGeometry() {
  QCOMPARE(PopShadow::shadowGeometry(QRect(100, 100, 420, 260)), QRect(80, 90, 460, 290));
  QCOMPARE(PopShadow::shadowGeometry(QRect(0, 0, 490, 400)), QRect(-20, -10, 530, 430));
  QCOMPARE(PopShadow::shadowGeometry(QRect(10, 20, 100, 50), 5), QRect(5, 25, 110, 50));
}

void TestPopWindow::shadowMask() {
  QCOMPARE(PopShadow::maskInnerRect(QSize(420, 260)), QRect(20, 10, 420, 230));
  const QRegion mask = PopShadow::shadowMask(QSize(420, 260));
  QCOMPARE(mask.boundingRect(), QRect(0, 0, 460, 290));
  // The rim on every side is drawn...
  for (QPoint p : {QPoint(0, 0), QPoint(459, 289), QPoint(10, 150), QPoint(450, 150), QPoint(230, 5)})
    QVERIFY2(mask.contains(p), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
  // ...the inner rectangle is not...
  for (QPoint p : {QPoint(20, 10), QPoint(439, 239), QPoint(230, 120)})
    QVERIFY2(!mask.contains(p), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
  // ...and it stops 30 rows short of the pop-up's bottom edge.
  QVERIFY(mask.contains(QPoint(230, 240)));
  int area = 0;
  for (const QRect &r : mask) area += r.width() * r.height();
  QCOMPARE(area, 460 * 290 - 420 * 230);
}

void TestPopWindow::shadowFollowsGivenGeometry() {
  PopShadow shadow;
  QCOMPARE(shadow.image(), QStringLiteral(":/res/Resources/pop_background.png"));
  QVERIFY(shadow.testAttribute(Qt::WA_TransparentForMouseEvents));
  QVERIFY(shadow.windowFlags() & Qt::Tool);
  shadow.follow(QRect(100, 100, 420, 260));
  QCOMPARE(shadow.geometry(), QRect(80, 90, 460, 290));
  QCOMPARE(shadow.mask(), PopShadow::shadowMask(QSize(420, 260)));
  shadow.follow(QRect(300, 50, 490, 400));
  QCOMPARE(shadow.geometry(), QRect(280, 40, 530, 430));
  QCOMPARE(shadow.mask(), PopShadow::shadowMask(QSize(490, 400)));

  PopShadow big(nullptr, PopShadow::bigImage());
  QCOMPARE(big.image(), QStringLiteral(":/res/Resources/pop_background_big.png"));
}

void TestPopWindow::frameLayout() {
  PopWindow w;
  QCOMPARE(w.size(), QSize(420, 543));
  QCOMPARE(w.minimumSize(), w.maximumSize());
  QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
  QCOMPARE(w.windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
  QCOMPARE(w.title(), QStringLiteral("Title"));

  // From the top: yellow line, title bar, separator, then the subclass's content.
  QVBoxLayout *layout = w.mainLayout();
  QCOMPARE(layout->count(), 3);
  QCOMPARE(layout->spacing(), 0);
  QCOMPARE(layout->contentsMargins(), QMargins());
  auto *top = qobject_cast<QLabel *>(layout->itemAt(0)->widget());
  auto *bar = qobject_cast<QFrame *>(layout->itemAt(1)->widget());
  auto *line = qobject_cast<QLabel *>(layout->itemAt(2)->widget());
  QVERIFY(top && bar && line);
  QCOMPARE(top->objectName(), QStringLiteral("labelTopLine"));
  QCOMPARE(top->maximumHeight(), 2);
  QCOMPARE(top->styleSheet(), QStringLiteral("background-color: rgb(255, 220, 0);"));
  QCOMPARE(bar->maximumHeight(), 43);
  QCOMPARE(bar->minimumHeight(), 43);
  QCOMPARE(line->maximumHeight(), 1);
  QCOMPARE(line->styleSheet(), QStringLiteral("background-color: rgb(231, 231, 231);"));
  QCOMPARE(w.titleLabel()->parentWidget(), bar);
  QCOMPARE(w.closeButton()->parentWidget(), bar);
  QCOMPARE(w.closeButton()->imageName(), QStringLiteral("pop_close"));

  w.setTitle(QStringLiteral("参数设置"));
  QCOMPARE(w.titleLabel()->text(), QStringLiteral("参数设置"));
}

void TestPopWindow::titleBarKeptOnResize() {
  PopWindow w;
  QCOMPARE(w.titleLabel()->geometry(), QRect(0, 0, 420, 42));
  QCOMPARE(w.closeButton()->geometry(), QRect(389, 11, 20, 20));
  w.setFixedSize(490, 400);
  w.show(); // a hidden window gets its resize event when shown
  QCOMPARE(w.titleLabel()->geometry(), QRect(0, 0, 490, 42));
  QCOMPARE(w.closeButton()->geometry(), QRect(459, 11, 20, 20));
  QVERIFY(w.titleLabel()->alignment() & Qt::AlignHCenter);
}

void TestPopWindow::shadowLifecycle() {
  PopWindow w;
  w.setFixedSize(420, 260);
  w.move(100, 100);
  w.show();
  // One event-loop turn later, not at once.
  QVERIFY(!w.shadow()->isVisible());
  QTRY_VERIFY(w.shadow()->isVisible());
  QCOMPARE(w.shadow()->geometry(), PopShadow::shadowGeometry(w.geometry()));

  w.move(300, 200);
  QTRY_COMPARE(w.shadow()->geometry(), PopShadow::shadowGeometry(QRect(w.pos(), w.size())));
  w.setFixedSize(490, 400);
  QCOMPARE(w.shadow()->geometry(), PopShadow::shadowGeometry(w.geometry()));
  QCOMPARE(w.shadow()->mask(), PopShadow::shadowMask(QSize(490, 400)));

  w.close();
  QVERIFY(!w.shadow()->isVisible());
  // A window closed before its first turn never shows a stray shadow.
  PopWindow quick;
  quick.show();
  quick.close();
  QTest::qWait(20);
  QVERIFY(!quick.shadow()->isVisible());
}

void TestPopWindow::closeButtonCallsHookFirst() {
  HookedWindow w;
  w.show();
  QVERIFY(w.isVisible());
  QTest::mouseClick(w.closeButton(), Qt::LeftButton);
  QCOMPARE(w.hookCalls, 1);
  QVERIFY(w.visibleDuringHook);
  QVERIFY(!w.isVisible());
  QCOMPARE(w.result(), int(QDialog::Rejected));
}

void TestPopWindow::plainCloseSkipsHook() {
  HookedWindow w;
  w.show();
  w.close();
  QCOMPARE(w.hookCalls, 0);
}

void TestPopWindow::dragFromFreeSpot() {
  PopWindow w;
  w.move(200, 150);
  w.show();
  QTRY_VERIFY(w.shadow()->isVisible());
  const QPoint start = w.pos();
  // A press on the content area reaches the frame (labels ignore presses).
  sendMouse(&w, QEvent::MouseButtonPress, QPoint(200, 300), Qt::LeftButton);
  sendMouse(&w, QEvent::MouseMove, QPoint(230, 320), Qt::LeftButton);
  QCOMPARE(w.pos(), start + QPoint(30, 20));
  sendMouse(&w, QEvent::MouseButtonRelease, QPoint(230, 320), Qt::NoButton);
  sendMouse(&w, QEvent::MouseMove, QPoint(260, 340), Qt::NoButton);
  QCOMPARE(w.pos(), start + QPoint(30, 20));
  QCOMPARE(w.shadow()->geometry(), PopShadow::shadowGeometry(QRect(w.pos(), w.size())));
}

QTEST_MAIN(TestPopWindow)
#include "test_popwindow.moc"

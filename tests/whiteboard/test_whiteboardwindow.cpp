// The whiteboard window: its sub-windows, the controls and what they give the board, the page
// panel, the floating panels' auto-hide, the delete dialog and the view-only mode.
#include "../board/boarddriver.h"

#include "sdk/board/boardsdk.h"
#include "whiteboard/boardservice.h"
#include "whiteboard/qwindowwhiteboard.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

namespace {
BoardClassData classData() {
  BoardClassData data;
  data.userId = QStringLiteral("s10001");
  data.userSig = QStringLiteral("sig");
  data.previewUrl = QStringLiteral("http://127.0.0.1:9/preview");
  return data;
}
} // namespace

class TestWhiteboardWindow : public QObject {
  Q_OBJECT
private slots:
  void init() {
    window_ = std::make_unique<QWindowWhiteBoard>(nullptr, classData());
    window_->resize(960, 540);
    window_->show();
    QTRY_VERIFY(window_->isStarted());
  }
  void cleanup() { window_.reset(); }

  void sevenSubWindowsByTitle();
  void pageArrowsOnOneOfOne();
  void pagePanelFollowsPages();
  void filledEllipseWithTheSliderAtThree();
  void penSizeAndColour();
  void colourPanelHidesAfterTheMouseLeftIt();
  void deleteDialog();
  void libraryStatusEnablesTheButtons();
  void viewOnly();
  void boardStaysUnderThePanelsWhenClicked();

private:
  template <typename T = QAbstractButton> T *child(const char *name) {
    T *w = window_->findChild<T *>(QLatin1String(name));
    if (!w)
      qFatal("no %s", name);
    return w;
  }
  board::PenState pen() { return window_->boardService()->pen(); }
  std::unique_ptr<QWindowWhiteBoard> window_;
};

void TestWhiteboardWindow::sevenSubWindowsByTitle() {
  for (const char *title : {"BoardWindow", "ToolsWindow", "PagesWindow", "ColorWindow", "SizeWindow",
                            "ShapeWindow", "DialogWindow"})
    QVERIFY2(window_->subWindow(QLatin1String(title)), title);
  QCOMPARE(window_->subWindow("ShapeWindow")->geometry().topLeft(), QPoint(0, 0));
  // The panels float over the board, also after a click on the board.
  boarddriver::drag(window_->boardService()->renderWindow(), {{300, 300}, {320, 320}});
  QMdiSubWindow *board = window_->subWindow("BoardWindow");
  for (const char *panel : {"ToolsWindow", "PagesWindow"}) {
    QMdiSubWindow *w = window_->subWindow(panel);
    QVERIFY2(w->isVisible(), panel);
    QWidget *top = board->parentWidget()->childAt(w->geometry().center());
    QVERIFY2(top && (top == w || w->isAncestorOf(top)), panel);
  }
  QVERIFY(window_->boardService()->renderWindow()->isVisible());
  QCOMPARE(child("chkColorPick")->toolTip(), QStringLiteral("颜色"));
  QCOMPARE(child("btnUpload")->toolTip(), QStringLiteral("点击上传背景文件"));
  QCOMPARE(child<QLabel>("labelDialog")->text(), QStringLiteral("确定删除当前白板页吗？"));
  QCOMPARE(child("btnDialogOK")->text(), QStringLiteral("确定删除"));
}

void TestWhiteboardWindow::pageArrowsOnOneOfOne() {
  QCOMPARE(child("btnPageNumber")->text(), QStringLiteral("1 / 1"));
  QVERIFY(!child("btnLastPage")->isEnabled());
  QVERIFY(!child("btnNextPage")->isEnabled());
  QVERIFY(child("btnDeletePage")->isEnabled());
}

void TestWhiteboardWindow::pagePanelFollowsPages() {
  child("btnAddPage")->click();
  QCOMPARE(child("btnPageNumber")->text(), QStringLiteral("2 / 2"));
  QVERIFY(child("btnLastPage")->isEnabled());
  QVERIFY(!child("btnNextPage")->isEnabled());
  child("btnLastPage")->click();
  QCOMPARE(child("btnPageNumber")->text(), QStringLiteral("1 / 2"));
  QVERIFY(child("btnNextPage")->isEnabled());
  child("btnUpload")->click();
  QCOMPARE(child("btnPageNumber")->text(), QStringLiteral("1 / 20"));
  QVERIFY(!child("btnDeletePage")->isEnabled()); // documents have no delete
  child("btnNextPage")->click();
  QCOMPARE(child("btnPageNumber")->text(), QStringLiteral("2 / 20"));
}

void TestWhiteboardWindow::filledEllipseWithTheSliderAtThree() {
  child("btnShape")->click();
  QVERIFY(window_->subWindow("ShapeWindow")->isVisible());
  child("btnEllipseFill")->click();
  child<QSlider>("sliderShapeThin")->setValue(3);
  QCOMPARE(child<QLabel>("labelShapeThin")->text(), QStringLiteral("3"));
  QCOMPARE(pen().tool, board::ToolEllipse);
  QVERIFY(pen().fill);
  QCOMPARE(pen().width, 150u);
  child("btnRect")->click();
  QCOMPARE(pen().tool, board::ToolRectangle);
  QVERIFY(!pen().fill);
}

void TestWhiteboardWindow::penSizeAndColour() {
  QCOMPARE(pen().tool, board::ToolPen);
  QCOMPARE(pen().width, 50u);
  QCOMPARE(pen().color, 0x0075FFFFu);
  child("btnLine")->click();
  QVERIFY(window_->subWindow("SizeWindow")->isVisible());
  child("btnSizeLarge")->click();
  QVERIFY(!window_->subWindow("SizeWindow")->isVisible());
  QCOMPARE(pen().tool, board::ToolLine);
  QCOMPARE(pen().width, 150u);
  child<QCheckBox>("chkColorPick")->setChecked(true);
  QCOMPARE(window_->subWindow("ColorWindow")->x(), 36);
  QVERIFY(child("chkColorPick")->styleSheet().contains(QLatin1String("#0075ff")));
  child("btnColor4")->click();
  QCOMPARE(pen().color, 0xFF0100FFu);
  // The toggle shows the colour in use.
  QVERIFY(child("chkColorPick")->styleSheet().contains(QLatin1String("#ff0100")));
  QVERIFY(!window_->subWindow("ColorWindow")->isVisible());
  QVERIFY(!child<QCheckBox>("chkColorPick")->isChecked());
  child("btnEraser")->click();
  QCOMPARE(pen().tool, board::ToolEraser);
}

void TestWhiteboardWindow::colourPanelHidesAfterTheMouseLeftIt() {
  child<QCheckBox>("chkColorPick")->setChecked(true);
  QMdiSubWindow *colors = window_->subWindow("ColorWindow");
  QVERIFY(colors->isVisible());
  QTest::qWait(600);
  QVERIFY(colors->isVisible());
  QTest::qWait(500); // 1.1 s without the mouse over it
  QTRY_VERIFY_WITH_TIMEOUT(!colors->isVisible(), 300);
  QVERIFY(!child<QCheckBox>("chkColorPick")->isChecked());
}

void TestWhiteboardWindow::deleteDialog() {
  child("btnAddPage")->click();
  child("btnDeletePage")->click();
  QMdiSubWindow *dialog = window_->subWindow("DialogWindow");
  QVERIFY(dialog->isVisible());
  QCOMPARE(dialog->geometry(), QRect(QPoint(0, 0), window_->size()));
  child("btnDialogCancel")->click();
  QVERIFY(!dialog->isVisible());
  QCOMPARE(child("btnPageNumber")->text(), QStringLiteral("2 / 2"));
  child("btnDeletePage")->click();
  child("btnDialogOK")->click();
  QVERIFY(!dialog->isVisible());
  QCOMPARE(child("btnPageNumber")->text(), QStringLiteral("1 / 1"));
}

void TestWhiteboardWindow::libraryStatusEnablesTheButtons() {
  QTRY_VERIFY(!child("btnUndo")->isEnabled());
  boarddriver::drag(window_->boardService()->renderWindow(), {{100, 100}, {200, 150}});
  QTRY_VERIFY(child("btnUndo")->isEnabled());
  QVERIFY(!child("btnRedo")->isEnabled());
  child("btnUndo")->click();
  QTRY_VERIFY(child("btnRedo")->isEnabled());
}

void TestWhiteboardWindow::viewOnly() {
  window_->setInteractive(false);
  QVERIFY(!window_->subWindow("ToolsWindow")->isVisible());
  QVERIFY(!window_->subWindow("PagesWindow")->isVisible());
  QCOMPARE(window_->boardService()->tool(), board::ToolNone);
  // Drags draw nothing.
  const QImage before = window_->boardService()->renderWindow()->grab().toImage();
  boarddriver::drag(window_->boardService()->renderWindow(), {{100, 100}, {200, 150}});
  QCOMPARE(window_->boardService()->renderWindow()->grab().toImage(), before);
  window_->subWindow("PagesWindow")->hide();
  emit window_->updatePageWindow();
  QVERIFY(!window_->subWindow("PagesWindow")->isVisible());
}

// Drawing activates the board's sub-window, which the area raises; the panels must stay on top.
void TestWhiteboardWindow::boardStaysUnderThePanelsWhenClicked() {
  auto *area = window_->findChild<QMdiArea *>();
  QMdiSubWindow *board = window_->subWindow("BoardWindow");
  area->setActiveSubWindow(window_->subWindow("PagesWindow"));
  boarddriver::drag(window_->boardService()->renderWindow(), {{100, 100}, {200, 150}});
  area->setActiveSubWindow(board);
  QTRY_COMPARE(area->subWindowList(QMdiArea::StackingOrder).first(), board);
  QTest::qWait(50);
  QCOMPARE(area->subWindowList(QMdiArea::StackingOrder).first(), board);
}

QTEST_MAIN(TestWhiteboardWindow)
#include "test_whiteboardwindow.moc"

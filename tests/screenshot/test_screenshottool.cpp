// The screenshot tool on the test display (no window manager), driven by xdotool as a
// student would: take a window, drag and resize, annotate and finish, drop and quit.
// With TARNWICK_SHOT_DIR set, the stages are saved there as pictures of the whole screen.
#include "screenshot/controlwidget.h"
#include "screenshot/oeamplifier.h"
#include "screenshot/oerect.h"
#include "screenshot/oescreen.h"
#include "screenshot/oescreenshot.h"
#include "widgets/qtmessagebox.h"
#include "widgets/xdo.h"

#include <QApplication>
#include <QClipboard>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// Stands in for the classroom window: receives the finished PNG by name.
class UploadTarget : public QObject {
  Q_OBJECT
public:
  QList<QByteArray> pictures;
public slots:
  void uploadPicture(QByteArray fileContent) { pictures << fileContent; }
};

void snap(const QString &name) {
  const QByteArray dir = qgetenv("TARNWICK_SHOT_DIR");
  if (dir.isEmpty()) return;
  QTest::qWait(150); // let the last paint reach the server
  QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                               QString::fromLocal8Bit(dir) + '/' + name + ".png"});
}

// Open message boxes as "title|text".
QStringList openBoxes() {
  QStringList found;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (auto *box = qobject_cast<QtMessageBox *>(w))
      if (box->isVisible()) found << box->title() + QLatin1Char('|') + box->message();
  return found;
}

QList<QWidget *> visibleToolWindows() {
  QList<QWidget *> found;
  for (QWidget *w : QApplication::topLevelWidgets())
    if (w->isVisible() && (qobject_cast<OEScreenshot *>(w) || qobject_cast<QSLabel *>(w) ||
                           w->objectName() == QLatin1String("control")))
      found << w;
  return found;
}

} // namespace

class TestScreenshotTool : public QObject {
  Q_OBJECT
  UploadTarget m_target;
  std::unique_ptr<QWidget> m_other; // another application's window
  QPointer<OEScreenshot> m_tool;

  void startTool() {
    m_tool = new OEScreenshot(&m_target);
    QVERIFY(QTest::qWaitForWindowExposed(m_tool.data()));
    QCOMPARE(m_tool->geometry(), m_tool->desktopRect());
  }

  void clickButton(const char *name) {
    QWidget *bar = m_tool->selection()->controlBar();
    QVERIFY(bar && bar->isVisible());
    auto *button = bar->findChild<QToolButton *>(QLatin1String(name));
    QVERIFY(button);
    QVERIFY(xdo::clickOn(button));
  }

private slots:
  void initTestCase() {
    m_other = std::make_unique<QWidget>();
    m_other->setStyleSheet(QStringLiteral("background: #3cc06e;"));
    m_other->setGeometry(700, 500, 320, 210);
    m_other->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_other.get()));
    QTest::qWait(200);
  }

  void init() { m_target.pictures.clear(); }

  void cleanup() {
    if (m_tool) m_tool->close();
    QTRY_VERIFY(visibleToolWindows().isEmpty());
    QTRY_VERIFY(!m_tool);
    QTest::qWait(300); // the uncovered windows repaint before the next tool freezes them
  }

  void clickWithoutDraggingTakesTheWindowUnderThePointer() {
    startTool();
    QVERIFY(xdo::moveTo(300, 300));
    QVERIFY(xdo::moveTo(800, 600));
    QTRY_COMPARE(m_tool->detectedRect(), QRect(700, 500, 320, 210));
    snap(QStringLiteral("1-detecting"));
    QVERIFY(xdo::click());
    QTRY_VERIFY(m_tool->selection() && m_tool->selection()->controlBar());
    QCOMPARE(m_tool->selection()->geometry(), QRect(700, 500, 320, 210));
    QVERIFY(m_tool->detectedRect().isEmpty());
    QVERIFY(!m_tool->magnifier()->isVisible());
    // The bar lies under the selection, right-aligned.
    QCOMPARE(m_tool->selection()->controlBar()->geometry(), QRect(1020 - 260, 716, 260, 25));
  }

  // Nothing beneath a click, or a drag along a line, selects nothing: no bar, nothing to
  // finish, and the tool goes on offering windows.
  void clickOnNothingAndDragAlongALineSelectNothing() {
    startTool();
    QVERIFY(xdo::moveTo(120, 930));
    QVERIFY(xdo::moveTo(100, 950));
    QTRY_VERIFY(m_tool->magnifier()->isVisible());
    QVERIFY2(m_tool->detectedRect().isEmpty(), "a window of another test lies under the pointer");
    QVERIFY(xdo::click());
    QTest::qWait(200);
    QVERIFY(m_tool);
    QVERIFY(!m_tool->selection());
    QVERIFY(!OEScreen::isShown());
    QVERIFY(m_tool->magnifier()->isVisible());

    QVERIFY(xdo::drag(QPoint(200, 200), QPoint(420, 200)));
    QTest::qWait(200);
    QVERIFY(!m_tool->selection());
    QVERIFY(xdo::key(QStringLiteral("Return")));
    QTest::qWait(200);
    QVERIFY(m_target.pictures.isEmpty());

    // Still detecting: the window under the pointer, then a real drag.
    QVERIFY(xdo::moveTo(800, 600));
    QTRY_COMPARE(m_tool->detectedRect(), QRect(700, 500, 320, 210));
    QVERIFY(xdo::drag(QPoint(300, 300), QPoint(350, 340)));
    QTRY_VERIFY(m_tool->selection() && m_tool->selection()->controlBar());
    QCOMPARE(m_tool->selection()->geometry(), QRect(300, 300, 50, 40));
  }

  // Resized down to a line, the selection has no picture: finishing and saving are refused.
  void selectionWithoutAreaIsNeitherFinishedNorSaved() {
    int asked = 0;
    OEScreen::setSaveNameAsker([&](QWidget *, const QString &, const QString &, const QString &) {
      ++asked;
      return QStringLiteral("/tmp/never-written.jpg");
    });
    startTool();
    QVERIFY(xdo::drag(QPoint(300, 300), QPoint(500, 420)));
    QTRY_VERIFY(m_tool->selection() && m_tool->selection()->controlBar());
    OEScreen *selection = m_tool->selection();
    selection->setGeometry(QRect(300, 300, 200, 0));
    selection->onSaveScreen();
    selection->onSaveScreenOther();
    QTest::qWait(100);
    QVERIFY(m_tool && m_tool->selection() == selection);
    QCOMPARE(asked, 0);
    QVERIFY(m_target.pictures.isEmpty());
    OEScreen::setSaveNameAsker(nullptr);
  }

  void dragShowsMagnifierAndLabelThenCornerPressResizesFromTheCorner() {
    startTool();
    QVERIFY(xdo::drag(QPoint(100, 100), QPoint(400, 300), [] { snap(QStringLiteral("2-selecting")); }));
    QTRY_VERIFY(m_tool->selection() && m_tool->selection()->controlBar());
    OEScreen *selection = m_tool->selection();
    QCOMPARE(selection->geometry(), QRect(100, 100, 300, 200));
    QCOMPARE(m_tool->sizeLabel()->text(), QStringLiteral("300 x 200"));
    QVERIFY(m_tool->sizeLabel()->isVisible());
    QCOMPARE(m_tool->sizeLabel()->y(), 100 - m_tool->sizeLabel()->height() - 1);
    QCOMPARE(m_tool->magnifier()->selectionSize(), QSize(300, 200));
    snap(QStringLiteral("3-selected"));

    // Exactly on the top-left corner's square, 5 pixels in from both edges.
    QVERIFY(xdo::moveTo(103, 103));
    QVERIFY(xdo::moveTo(105, 105));
    QTest::qWait(150);
    QCOMPARE(selection->cursor().shape(), Qt::SizeFDiagCursor);
    QVERIFY(xdo::drag(QPoint(105, 105), QPoint(50, 60)));
    QTRY_COMPARE(selection->geometry(), QRect(50, 60, 350, 240));
    QCOMPARE(m_tool->sizeLabel()->text(), QStringLiteral("350 x 240"));
    QTRY_VERIFY(selection->controlBar()->isVisible()); // placed again after the release
    QCOMPARE(selection->controlBar()->pos(), QPoint(400 - 260, 306));

    // Inside, the selection moves.
    QVERIFY(xdo::drag(QPoint(200, 200), QPoint(260, 230)));
    QTRY_COMPARE(selection->geometry(), QRect(110, 90, 350, 240));
  }

  void escapeLeavesNothingBehind() {
    startTool();
    QVERIFY(xdo::drag(QPoint(200, 200), QPoint(500, 400)));
    QTRY_VERIFY(m_tool->selection() && m_tool->selection()->controlBar());
    clickButton("rectangleBtn");
    QTRY_VERIFY(m_tool->selection()->drawingLayer()->isVisible());
    QVERIFY(xdo::moveTo(1200, 900)); // keys go to the window under the pointer
    QVERIFY(xdo::key(QStringLiteral("Escape")));
    QTRY_VERIFY(!m_tool);
    QTRY_VERIFY(visibleToolWindows().isEmpty());
    QTest::qWait(200);
    QVERIFY(m_target.pictures.isEmpty());
  }

  void rightClickDropsTheSelectionThenQuits() {
    startTool();
    QVERIFY(xdo::drag(QPoint(200, 200), QPoint(500, 400)));
    QTRY_VERIFY(m_tool->selection() && m_tool->selection()->controlBar());
    QPointer<QWidget> bar = m_tool->selection()->controlBar();
    QVERIFY(xdo::moveTo(1200, 900));
    QVERIFY(xdo::click(3));
    QTRY_VERIFY(!m_tool->selection());
    QTRY_VERIFY(!bar);
    QVERIFY(m_tool->isVisible());
    QVERIFY(m_tool->magnifier()->isVisible());
    QVERIFY(!m_tool->sizeLabel()->isVisible());
    // Detecting again: a new drag makes a new selection.
    QVERIFY(xdo::drag(QPoint(300, 300), QPoint(350, 340)));
    QTRY_VERIFY(m_tool->selection());
    QCOMPARE(m_tool->selection()->geometry(), QRect(300, 300, 50, 40));
    QVERIFY(xdo::moveTo(1200, 900));
    QVERIFY(xdo::click(3));
    QTRY_VERIFY(!m_tool->selection());
    QVERIFY(xdo::click(3));
    QTRY_VERIFY(!m_tool);
    QVERIFY(m_target.pictures.isEmpty());
  }

  void annotatedPictureIsCopiedAndHandedOver() {
    startTool();
    const QImage frozen = m_tool->frozenPicture();
    QVERIFY(xdo::drag(QPoint(600, 400), QPoint(1100, 800)));
    QTRY_VERIFY(m_tool->selection() && m_tool->selection()->controlBar());
    QCOMPARE(m_tool->selection()->controlBar()->pos(), QPoint(1100 - 260, 800 + 6));
    clickButton("arrowBtn");
    QSLabel *layer = m_tool->selection()->drawingLayer();
    QTRY_VERIFY(layer->isVisible());
    QCOMPARE(layer->geometry(), QRect(600, 400, 500, 400));
    QCOMPARE(layer->tool(), QSLabel::Arrow);
    QVERIFY(xdo::drag(QPoint(650, 450), QPoint(900, 650)));
    QTRY_COMPARE(layer->shapes(QSLabel::Arrow), (QVector<QLine>{QLine(50, 50, 300, 250)}));
    clickButton("rectangleBtn");
    QTRY_COMPARE(layer->tool(), QSLabel::Rectangle);
    QVERIFY(xdo::drag(QPoint(700, 700), QPoint(800, 760)));
    QTRY_COMPARE(layer->shapes(QSLabel::Rectangle).size(), 1);
    QCOMPARE(layer->shapes(QSLabel::Arrow).size(), 1); // kept across tools
    snap(QStringLiteral("4-annotated"));
    clickButton("finishBtn");
    QTRY_COMPARE(m_target.pictures.size(), 1);
    QTRY_VERIFY(!m_tool);

    QImage picture;
    QVERIFY(picture.loadFromData(m_target.pictures.first(), "PNG"));
    QCOMPARE(picture.size(), QSize(500, 400));
    const QImage plain = frozen.copy(600, 400, 500, 400);
    QCOMPARE(picture.pixelColor(10, 10), plain.pixelColor(10, 10)); // untouched part
    QCOMPARE(picture.pixelColor(100, 330).red(), 255);              // rectangle's left side
    QCOMPARE(picture.pixelColor(100, 330).green(), 0);
    QCOMPARE(QApplication::clipboard()->image().size(), QSize(500, 400));
  }

  void saveWritesAJpegAndUploadsNothing() {
    QTemporaryDir folder;
    QString answer; // what the "dialog" answers: empty first, as when cancelled
    QStringList asked;
    OEScreen::setSaveNameAsker([&](QWidget *, const QString &title, const QString &name, const QString &filter) {
      asked << title << name << filter;
      return answer;
    });
    startTool();
    QVERIFY(xdo::drag(QPoint(650, 450), QPoint(900, 650)));
    QTRY_VERIFY(m_tool->selection() && m_tool->selection()->controlBar());
    m_tool->selection()->onSaveScreenOther();
    QCOMPARE(asked.size(), 3);
    QCOMPARE(asked.at(0), QStringLiteral("保存图片"));
    QVERIFY2(QRegularExpression(QStringLiteral("^Tarnwick截图_\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d-\\d\\d$"))
                 .match(asked.at(1)).hasMatch(), qPrintable(asked.at(1)));
    QCOMPARE(asked.at(2), QStringLiteral("JPEG Files (*.jpg)"));
    QTest::qWait(100);
    QVERIFY(m_tool && m_tool->selection()); // cancelled: still in the tool

    // A place that cannot be written: told so, and still in the tool to try another.
    answer = folder.filePath(QStringLiteral("no-such-folder/shot.jpg"));
    m_tool->selection()->onSaveScreenOther();
    QTRY_COMPARE(openBoxes(), QStringList{QStringLiteral("错误|图片保存失败，请换一个位置或文件名再试。")});
    QVERIFY(m_tool && m_tool->selection() && m_tool->isVisible());
    for (QWidget *w : QApplication::topLevelWidgets())
      if (qobject_cast<QtMessageBox *>(w)) w->close();

    answer = folder.filePath(QStringLiteral("shot.jpg"));
    m_tool->selection()->onSaveScreenOther();
    QTRY_VERIFY(!m_tool);
    QImage saved;
    QVERIFY(saved.load(answer, "JPG"));
    QCOMPARE(saved.size(), QSize(250, 200));
    QVERIFY(m_target.pictures.isEmpty());
    OEScreen::setSaveNameAsker(nullptr);
  }

  void enterFinishesWithoutDrawing() {
    startTool();
    const QImage frozen = m_tool->frozenPicture();
    QVERIFY(xdo::drag(QPoint(650, 450), QPoint(900, 990)));
    QTRY_VERIFY(m_tool->selection() && m_tool->selection()->controlBar());
    // Within 25 pixels of the screen bottom (1000) the bar sits inside the selection.
    QCOMPARE(m_tool->selection()->controlBar()->pos(), QPoint(900 - 260, 990 - 30));
    QVERIFY(xdo::moveTo(1200, 300));
    QVERIFY(xdo::key(QStringLiteral("Return")));
    QTRY_COMPARE(m_target.pictures.size(), 1);
    QImage picture;
    QVERIFY(picture.loadFromData(m_target.pictures.first(), "PNG"));
    QCOMPARE(picture.convertToFormat(QImage::Format_RGB32), frozen.copy(650, 450, 250, 540));
  }
};

QTEST_MAIN(TestScreenshotTool)
#include "test_screenshottool.moc"

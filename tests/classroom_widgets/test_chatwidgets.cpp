// The chat input's keys and inline faces, the picker grid, the two tabs and the tool bar.

#include "classroom_widgets/emojilabel.h"
#include "classroom_widgets/emojipanel.h"
#include "classroom_widgets/qtmessagetab.h"
#include "classroom_widgets/qtmessagetoolbar.h"
#include "classroom_widgets/textedit.h"
#include "widgets/qtbackimagebutton.h"

#include <QFile>
#include <QGridLayout>
#include <QImage>
#include <QSet>
#include <QLabel>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextFragment>
#include <QtTest>

namespace {

// Names of the inline images of the document, in order.
QStringList imageNames(const QTextDocument *doc) {
  QStringList names;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it)
      if (it.fragment().charFormat().isImageFormat())
        names << it.fragment().charFormat().toImageFormat().name();
  return names;
}

} // namespace

class TestChatWidgets : public QObject {
  Q_OBJECT

private slots:
  void faceCodesAreThreeDigits() {
    QCOMPARE(TextEdit::emojiCode(1), QStringLiteral("001"));
    QCOMPARE(TextEdit::emojiCode(5), QStringLiteral("005"));
    QCOMPARE(TextEdit::emojiCode(99), QStringLiteral("099"));
    QCOMPARE(TextEdit::emojiCode(100), QStringLiteral("100"));
    QCOMPARE(TextEdit::emojiName(12), QStringLiteral("[emoji_012]"));
    QVERIFY(TextEdit::emojiImagePath(139).endsWith(QStringLiteral("/png/emoji/image139.png")));
  }

  void everyFaceIsDrawnAndDistinct() {
    QSet<QByteArray> seen;
    for (int n = 1; n <= TextEdit::kFaceCount; ++n) {
      const QImage face(TextEdit::emojiImagePath(n));
      QVERIFY2(!face.isNull(), qPrintable(TextEdit::emojiImagePath(n)));
      seen.insert(QByteArray(reinterpret_cast<const char *>(face.constBits()), int(face.sizeInBytes())));
    }
    QCOMPARE(seen.size(), TextEdit::kFaceCount);
    QVERIFY(!QFile::exists(TextEdit::emojiImagePath(TextEdit::kFaceCount + 1)));
  }

  void insertedFacesFollowTheTextAsNamedImages() {
    TextEdit edit;
    edit.setPlainText(QStringLiteral("hi"));
    edit.moveCursor(QTextCursor::Start);
    edit.insertEmoji(12);
    edit.insertEmoji(100);
    QCOMPARE(imageNames(edit.document()), (QStringList{QStringLiteral("[emoji_012]"), QStringLiteral("[emoji_100]")}));
    // Both land at the end, after the text, whatever the cursor was.
    QCOMPARE(edit.document()->toPlainText().left(2), QStringLiteral("hi"));
    QCOMPARE(edit.textCursor().position(), edit.document()->characterCount() - 1);

    // Text after a face stays text, set anew or typed.
    edit.setPlainText(QStringLiteral("new"));
    QVERIFY(imageNames(edit.document()).isEmpty());
    edit.insertEmoji(3);
    QTest::keyClicks(&edit, QStringLiteral("z"));
    QCOMPARE(imageNames(edit.document()).size(), 1);
  }

  void returnSendsAndOnlyCtrlReturnBreaksTheLine() {
    TextEdit edit;
    QSignalSpy enter(&edit, &TextEdit::keyEnter);
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(enter.count(), 1); // even when empty
    QCOMPARE(edit.document()->blockCount(), 1);

    QTest::keyClicks(&edit, QStringLiteral("a"));
    QTest::keyClick(&edit, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(&edit, QStringLiteral("b"));
    QCOMPARE(enter.count(), 1);
    QCOMPARE(edit.document()->blockCount(), 2);

    // Shift+Return goes to the editor as it is: a line separator inside the block, no send.
    QTest::keyClick(&edit, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(enter.count(), 1);
    QCOMPARE(edit.document()->blockCount(), 2);
    QVERIFY(edit.document()->lastBlock().text().contains(QChar(QChar::LineSeparator)));
  }

  void pressReportsClicked() {
    TextEdit edit;
    edit.resize(200, 80);
    QSignalSpy clicked(&edit, &TextEdit::clicked);
    QTest::mouseClick(edit.viewport(), Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
  }

  void pickerPlacesSevenFacesARow() {
    QCOMPARE(EmojiPanel::cellOf(7), QPoint(6, 0));
    QCOMPARE(EmojiPanel::cellOf(8), QPoint(0, 1));
    // 139 = 19 * 7 + 6: the last row holds six faces, so the last one sits in column 5.
    QCOMPARE(EmojiPanel::cellOf(139), QPoint(5, 19));

    EmojiPanel panel;
    auto *layout = qobject_cast<QGridLayout *>(panel.widget()->layout());
    QVERIFY(layout);
    QCOMPARE(layout->count(), TextEdit::kFaceCount);
    QCOMPARE(layout->rowCount(), 20);
    QCOMPARE(layout->columnCount(), 7);
    QCOMPARE(panel.widget()->height(), EmojiPanel::kGridHeight);
    int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
    layout->getItemPosition(layout->indexOf(panel.cell(139)), &row, &column, &rowSpan, &columnSpan);
    QCOMPARE(QPoint(column, row), QPoint(5, 19));
    QCOMPARE(panel.cell(139)->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(!panel.cell(139)->pixmap(Qt::ReturnByValue).isNull());
  }

  void pickerCellReportsItsFace() {
    EmojiPanel panel;
    QList<int> faces;
    connect(&panel, &EmojiPanel::faceClicked, this, [&](int &face) { faces << face; });
    QTest::mouseClick(panel.cell(42), Qt::LeftButton);
    QTest::mouseClick(panel.cell(42), Qt::LeftButton);
    QCOMPARE(faces, (QList<int>{42, 42}));
  }

  void tabsSwapLooksAndRepeatTheChosenPage() {
    QtMessageTab tab;
    auto *message = tab.findChild<QtBackImageButton *>(QStringLiteral("btnMessage"));
    auto *member = tab.findChild<QtBackImageButton *>(QStringLiteral("btnMember"));
    QVERIFY(message && member);
    QCOMPARE(message->captionText(), QStringLiteral("讨论区"));
    QCOMPARE(member->captionText(), QStringLiteral("成员"));
    QCOMPARE(message->size(), QSize(124, 43));
    QVERIFY(!message->hoverImages());
    QCOMPARE(message->imageName(), QStringLiteral("message_tab_selected"));
    QCOMPARE(member->imageName(), QStringLiteral("message_tab"));
    QCOMPARE(message->labelText()->styleSheet(), QtMessageTab::selectedCaptionStyle());

    QSignalSpy toMessages(&tab, &QtMessageTab::messageViewRequested);
    QSignalSpy toMembers(&tab, &QtMessageTab::memberViewRequested);
    QTest::mouseClick(member, Qt::LeftButton);
    QCOMPARE(member->imageName(), QStringLiteral("message_tab_selected"));
    QCOMPARE(message->imageName(), QStringLiteral("message_tab"));
    QCOMPARE(message->labelText()->styleSheet(), QtMessageTab::unselectedCaptionStyle());
    QTest::mouseClick(member, Qt::LeftButton);
    QCOMPARE(member->imageName(), QStringLiteral("message_tab_selected"));
    QCOMPARE(toMembers.count(), 2);
    QTest::mouseClick(message, Qt::LeftButton);
    QCOMPARE(toMessages.count(), 1);
    QCOMPARE(message->imageName(), QStringLiteral("message_tab_selected"));
  }

  void toolBarButtons() {
    QtMessageToolBar bar;
    auto *emoji = bar.findChild<QPushButton *>(QStringLiteral("btnEmoji"));
    auto *shot = bar.findChild<QPushButton *>(QStringLiteral("btnScreenShot"));
    QVERIFY(emoji && shot);
    QCOMPARE(emoji->toolTip(), QStringLiteral("表情"));
    QCOMPARE(shot->toolTip(), QStringLiteral("截图 (Ctrl+Shift+A)"));
    QCOMPARE(shot->size(), QSize(24, 24));
    QSignalSpy emojiAsked(&bar, &QtMessageToolBar::emojiRequested);
    QSignalSpy shotAsked(&bar, &QtMessageToolBar::screenShotRequested);
    QTest::mouseClick(emoji, Qt::LeftButton);
    QTest::mouseClick(shot, Qt::LeftButton);
    QCOMPARE(emojiAsked.count(), 1);
    QCOMPARE(shotAsked.count(), 1);
  }
};

QTEST_MAIN(TestChatWidgets)
#include "test_chatwidgets.moc"

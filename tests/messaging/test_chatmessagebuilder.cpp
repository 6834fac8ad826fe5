#include "messaging/chatmessagebuilder.h"

#include "sdk/live/ilivemessage.h"

#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextImageFormat>

namespace {

ChatElement text(const QString &t) { return {ChatElement::Text, t, -1}; }
ChatElement face(int i) { return {ChatElement::Face, QString(), i}; }
const QString kCrLf = QStringLiteral("\r\n");

void insertImage(QTextCursor &c, const QString &name) {
  QTextImageFormat f;
  f.setName(name);
  c.insertImage(f);
}

QString describe(const std::vector<ChatElement> &v) {
  QStringList parts;
  for (const ChatElement &e : v)
    parts << (e.kind == ChatElement::Face ? QStringLiteral("face:%1").arg(e.faceIndex)
                                          : QStringLiteral("text:") + QString(e.text).replace(kCrLf, QStringLiteral("CRLF")));
  return parts.join(QLatin1Char('|'));
}

} // namespace

class TestChatMessageBuilder : public QObject {
  Q_OBJECT
private slots:
  void emptyDocumentHasNoElements() {
    QTextDocument doc;
    QVERIFY(ChatMessageBuilder::elements(doc).empty());
  }

  void linesAreSeparatedAndTrailingSeparatorDropped() {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("a"));
    c.insertBlock();
    c.insertText(QStringLiteral("b"));
    const std::vector<ChatElement> expected{text("a"), text(kCrLf), text("b")};
    QCOMPARE(describe(ChatMessageBuilder::elements(doc)), describe(expected));
  }

  void emptyLinesKeepTheirSeparators() {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("a"));
    c.insertBlock();
    c.insertBlock();
    const std::vector<ChatElement> expected{text("a"), text(kCrLf), text(kCrLf)};
    QCOMPARE(describe(ChatMessageBuilder::elements(doc)), describe(expected));
  }

  void emojiImagesBecomeFacesInPlace() {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("你好"));
    insertImage(c, QStringLiteral("[emoji_012]"));
    c.insertText(QStringLiteral("yo"));
    const std::vector<ChatElement> expected{text("你好"), face(12), text("yo")};
    QCOMPARE(describe(ChatMessageBuilder::elements(doc)), describe(expected));
  }

  void twoIdenticalEmojiGiveTwoFaces() {
    QTextDocument doc;
    QTextCursor c(&doc);
    insertImage(c, QStringLiteral("[emoji_105]"));
    insertImage(c, QStringLiteral("[emoji_105]"));
    insertImage(c, QStringLiteral("[emoji_007]"));
    const std::vector<ChatElement> expected{face(105), face(105), face(7)};
    QCOMPARE(describe(ChatMessageBuilder::elements(doc)), describe(expected));
  }

  void otherImagesAddNothing() {
    QTextDocument doc;
    QTextCursor c(&doc);
    insertImage(c, QStringLiteral("picture.png"));
    insertImage(c, QStringLiteral("[Emoji_001]"));   // prefix is case-sensitive
    insertImage(c, QStringLiteral("[emoji_x1y]"));   // not a number
    c.insertText(QStringLiteral("z"));
    const std::vector<ChatElement> expected{text("z")};
    QCOMPARE(describe(ChatMessageBuilder::elements(doc)), describe(expected));
  }

  void childFramesFollowTheFramesOwnBlocks() {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("a"));
    QTextCursor inner = c;
    inner.insertFrame(QTextFrameFormat());
    inner.insertText(QStringLiteral("b"));
    QTextCursor end(&doc);
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("c"));
    // The root frame's blocks "a" and "c" first, then the child frame's "b".
    const std::vector<ChatElement> expected{text("a"), text(kCrLf), text("c"), text(kCrLf),
                                            text("b")};
    QCOMPARE(describe(ChatMessageBuilder::elements(doc)), describe(expected));
  }

  void buildsLiveSdkElementsInUtf8() {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("好"));
    insertImage(c, QStringLiteral("[emoji_033]"));
    c.insertBlock();
    c.insertText(QStringLiteral("b"));
    ilive::Message m;
    ChatMessageBuilder::build(doc, m);
    QCOMPARE(int(m.elems.size()), 4);
    QCOMPARE(m.elems[0]->type, ilive::MESSAGE_ELEM_TEXT);
    QCOMPARE(QByteArray(static_cast<ilive::MessageTextElem *>(m.elems[0])->text.c_str()),
             QByteArray("\xe5\xa5\xbd"));
    QCOMPARE(m.elems[1]->type, ilive::MESSAGE_ELEM_FACE);
    const auto *faceElem = static_cast<ilive::MessageFaceElem *>(m.elems[1]);
    QCOMPARE(faceElem->index, 33);
    QVERIFY(faceElem->data.empty());
    QCOMPARE(QByteArray(static_cast<ilive::MessageTextElem *>(m.elems[2])->text.c_str()),
             QByteArray("\r\n"));
    QCOMPARE(m.elems[3]->type, ilive::MESSAGE_ELEM_TEXT);
  }

  void faceIndexFromName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("index");
    QTest::newRow("editor name") << QStringLiteral("[emoji_000]") << true << 0;
    QTest::newRow("no underscore") << QStringLiteral("[emoji042]") << true << 42;
    QTest::newRow("any last char") << QStringLiteral("[emoji_123x") << true << 123;
    QTest::newRow("too short") << QStringLiteral("[emoji1]") << false << -1;
    QTest::newRow("sign") << QStringLiteral("[emoji_-12]") << false << -1;
  }
  void faceIndexFromName() {
    QFETCH(QString, name);
    QFETCH(bool, ok);
    QFETCH(int, index);
    int got = -1;
    QCOMPARE(ChatMessageBuilder::emojiFaceIndex(name, &got), ok);
    QCOMPARE(got, index);
  }
};

QTEST_GUILESS_MAIN(TestChatMessageBuilder)
#include "test_chatmessagebuilder.moc"

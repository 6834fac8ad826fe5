// The chat column in a running class: what the student's message becomes on the wire and on
// the page, faces from the picker, the teacher's chat lines and discussion switch, and the tabs.
#include "classfixture.h"

#include "classroom/classchat.h"
#include "classroom_widgets/emojilabel.h"
#include "classroom_widgets/emojipanel.h"
#include "classroom_widgets/qtmessagetab.h"
#include "classroom_widgets/textedit.h"
#include "core/jsonhelpers.h"

#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <algorithm>

using namespace classtest;

namespace {

QVariantMap textItem(const QString &value) { return {{"type", "text"}, {"value", value}}; }
QVariantMap faceItem(const QString &value) { return {{"type", "face"}, {"value", value}}; }

} // namespace

class TestSessionChat : public QObject {
  Q_OBJECT

  std::unique_ptr<ClassWorld> world_;

  MainForm *window() { return world_->window; }
  TextEdit *input() { return window()->findChild<TextEdit *>(QStringLiteral("textEditChat")); }
  EmojiPanel *panel() { return window()->findChild<EmojiPanel *>(); }
  RecordingChatPage *page() { return world_->shell.chatPage; }
  QList<ClassCommand> chatCommands() { return world_->teacher->commands(ClassCommandCode::Chat); }
  // The student's IM messages the teacher received, as element lists "t:a|t:\r\n|f:5".
  QStringList imMessages() {
    QStringList out;
    for (const hubproto::ImMessage &m : world_->teacher->messages()) {
      QStringList elems;
      for (const hubproto::Element &e : m.elems)
        elems << (e.kind == hubproto::Element::Face ? QStringLiteral("f:%1").arg(e.faceIndex) : QStringLiteral("t:") + e.text);
      out << elems.join(QLatin1Char('|'));
    }
    return out;
  }

private slots:
  void init() { world_ = std::make_unique<ClassWorld>(); }
  void cleanup() { world_.reset(); }

  void thePageIsTheStaticHostsChatPage() {
    world_->open();
    QVERIFY(page());
    QVERIFY(world_->shell.chatPageUrl.endsWith(QStringLiteral("/live/chat_v5.html")));
    QCOMPARE(page()->width(), 250);
  }

  void linesAndFacesGoOutInBothForms() {
    QVERIFY(world_->enter());
    page()->events.clear();
    TextEdit *edit = input();
    edit->setPlainText(QStringLiteral("a\nb"));
    edit->insertEmoji(5);
    edit->insertEmoji(99);
    edit->insertEmoji(100);
    window()->onBtnSendMessage();

    QTRY_COMPARE(chatCommands().size(), 1);
    const QString json = chatCommands().at(0).actionParam;
    const QVariantMap sent = jsonToMap(json);
    QCOMPARE(sent.value("type").toString(), QStringLiteral("message"));
    QCOMPARE(sent.value("contents").toList(),
             (QVariantList{textItem("a"), textItem("b"), faceItem("005"), faceItem("099"), faceItem("100")}));
    QTRY_VERIFY(imMessages().contains(QStringLiteral("t:a|t:\r\n|t:b|f:5|f:99|f:100")));
    // Shown at once, exactly as sent, then scrolled to the bottom.
    QCOMPARE(page()->events.size(), 2);
    QCOMPARE(page()->events.at(0).first, QStringLiteral("sendText"));
    QCOMPARE(page()->events.at(0).second.value("message").toString(), json);
    QCOMPARE(page()->events.at(0).second.value("time").toString(), QStringLiteral("0"));
    QCOMPARE(page()->events.at(1).second.value("message").toString(), QStringLiteral("toBottom"));
    QVERIFY(edit->document()->isEmpty());
    QCOMPARE(window()->focusWidget(), edit);
  }

  void facesCountThreeTowardsTheLimit() {
    QVERIFY(world_->enter());
    TextEdit *edit = input();
    edit->insertEmoji(1);
    edit->insertEmoji(2);
    QVariantMap twoFaces = ClassChat::pageMessage(*edit->document(), kStudentName);
    QCOMPARE(window()->getMessageLength(twoFaces), 6);

    edit->setPlainText(QString(498, QLatin1Char('x')));
    edit->insertEmoji(3);
    window()->onBtnSendMessage();
    QCOMPARE(window()->chat()->shownLines().last(), QStringLiteral("系统消息:发送消息内容超长，请分条发送。"));
    QCOMPARE(edit->document()->characterCount(), 500); // 498 + face + the closing paragraph
    edit->setPlainText(QString(497, QLatin1Char('x')));
    edit->insertEmoji(3);
    window()->onBtnSendMessage();
    QTRY_COMPARE(chatCommands().size(), 1);
    QCOMPARE(ClassChat::messageLength(jsonToMap(chatCommands().at(0).actionParam)), 500);
  }

  void anEmptyInputSendsNoPageMessage() {
    QVERIFY(world_->enter());
    page()->events.clear();
    window()->onBtnSendMessage();
    QVERIFY(page()->events.isEmpty());
    input()->setPlainText(QStringLiteral("然后"));
    window()->onBtnSendMessage();
    QTRY_COMPARE(chatCommands().size(), 1);
    QTest::qWait(200);
    QCOMPARE(chatCommands().size(), 1);
    QCOMPARE(jsonToMap(chatCommands().at(0).actionParam).value("contents").toList(), QVariantList{textItem("然后")});
  }

  // The name a chat line shows is the sender's roster name, whatever the message says.
  void aChatCommandShowsTheSendersRosterName() {
    QVERIFY(world_->enterWithRoster());
    page()->events.clear();
    const QString json = QStringLiteral(R"({"name":"张小红","type":"message","contents":[{"type":"face","value":"042"}]})");
    world_->teacherSays(ClassCommandCode::Chat, json, true);
    QTRY_COMPARE(page()->events.size(), 1);
    QVariantMap shown = jsonToMap(page()->events.at(0).second.value("message").toString());
    QCOMPARE(shown.value("name").toString(), QStringLiteral("王老师"));
    QCOMPARE(shown.value("contents").toList(), QVariantList{faceItem("042")});
    QVERIFY(page()->events.at(0).second.value("time").toString().toUInt() > 0);
    // A classmate outside the roster posing as the system or the teacher shows no name at all.
    for (const char *name : {"系统消息", "王老师"}) {
      world_->otherStudent()->sendCommand(
          ClassCommandCode::Chat,
          QStringLiteral(R"({"name":"%1","type":"message","contents":[{"type":"text","value":"下课了"}]})")
              .arg(QString::fromUtf8(name)));
    }
    QTRY_COMPARE(page()->events.size(), 3);
    for (int i = 1; i < 3; ++i)
      QCOMPARE(jsonToMap(page()->events.at(i).second.value("message").toString()).value("name").toString(), QString());
    const QStringList lines = window()->chat()->shownLines();
    QCOMPARE(lines.mid(lines.size() - 3), (QStringList{"王老师:[表情042]", ":下课了", ":下课了"}));
  }

  void pickingAFaceFillsTheInput() {
    QVERIFY(world_->enter());
    window()->onEmoji();
    QVERIFY(panel()->isVisible());
    QTest::mouseClick(panel()->cell(42), Qt::LeftButton);
    QVERIFY(panel()->isHidden());
    QCOMPARE(ClassChat::pageMessage(*input()->document(), QString()).value("contents").toList(),
             QVariantList{faceItem("042")});
    window()->onEmoji();
    QTest::mouseClick(input()->viewport(), Qt::LeftButton);
    QVERIFY(panel()->isHidden());
    window()->onEmoji();
    window()->onEmoji();
    QVERIFY(panel()->isHidden());
  }

  void theTeacherClosesAndReopensTheDiscussion() {
    QVERIFY(world_->enter());
    auto *send = window()->findChild<QPushButton *>(QStringLiteral("btnSend"));
    window()->onEmoji();
    world_->teacherSays(ClassCommandCode::ChatSwitch, QStringLiteral("1"), true);
    QTRY_VERIFY(!window()->chat()->chatAllowed());
    QCOMPARE(input()->toPlainText(), QStringLiteral("老师已关讨论区，暂时无法发言"));
    QVERIFY(!input()->isEnabled());
    QVERIFY(!send->isEnabled());
    QVERIFY(panel()->isHidden());
    window()->onEmoji();
    QVERIFY(panel()->isHidden());

    world_->teacherSays(ClassCommandCode::ChatSwitch, QStringLiteral("0"), true);
    QTRY_VERIFY(window()->chat()->chatAllowed());
    QVERIFY(input()->toPlainText().isEmpty());
    QVERIFY(input()->isEnabled());
    QVERIFY(send->isEnabled());
  }

  void tabsSwitchBetweenPageAndMembers() {
    world_->open();
    auto *tab = window()->findChild<QtMessageTab *>();
    auto *members = window()->findChild<QWidget *>(QStringLiteral("tbMembers"));
    QVERIFY(tab && members);
    QVERIFY(page()->isVisible() && !members->isVisible());
    tab->btnMemberClicked();
    QVERIFY(!page()->isVisible() && members->isVisible());
    tab->btnMessageClicked();
    QVERIFY(page()->isVisible() && !members->isVisible());
  }
};

QTEST_MAIN(TestSessionChat)
#include "test_session_chat.moc"

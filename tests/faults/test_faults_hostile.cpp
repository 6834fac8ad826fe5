// A hostile teacher's client against the student's real program (shell, classroom, chat page,
// whiteboard) through the real local service: malformed class commands, chat with markup,
// scripts, huge texts and bad face codes, and whiteboard data of every wrong shape and size.
// The program keeps running, shows the text as text and nothing else, and opens no box.

#include "faultclass.h"
#include "shellstudent.h"

#include "boxdriver.h"
#include "pagescript.h"

#include "classroom/mainform.h"
#include "messaging/classcommand.h"
#include "protocol/protocol.h"
#include "shell/webview.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <memory>

using namespace faults;

namespace {

const QString kMarkup = QStringLiteral("<img src=x onerror=\"window.pwned=1\"><script>window.pwned=2</script>"
                                       "<a href=\"javascript:window.pwned=3\">点我</a><iframe src=\"javascript:window.pwned=4\"></iframe>");
const QString kWhiteBoardExt = QStringLiteral("TXWhiteBoardExt");
constexpr int kHugeText = 600 * 1024;  // characters; with the envelope under the hub's 1 MiB
constexpr int kHugeWide = 300 * 1024; // three bytes each

QJsonObject item(const QString &type, const QString &value) {
  return {{QStringLiteral("type"), type}, {QStringLiteral("value"), value}};
}

QString chat(const QString &name, const QJsonArray &contents) {
  return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("name"), name},
                                                     {QStringLiteral("type"), QStringLiteral("message")},
                                                     {QStringLiteral("contents"), contents}})
                               .toJson());
}

QString envelope(const QJsonValue &value) {
  return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("seq"), 1},
                                                     {QStringLiteral("timestamp"), 1},
                                                     {QStringLiteral("value"), value}})
                               .toJson(QJsonDocument::Compact)) + QLatin1Char('\n');
}

// The shape of the page: elements that could run or fetch something, and pictures other
// than the service's face images.
const QString kActiveElements = QStringLiteral("document.querySelectorAll('script,a,iframe,object,embed,svg').length");
const QString kForeignImages = QStringLiteral(
    "[].filter.call(document.images,function(i){return !/\\/image\\d{3}\\.png$/.test(i.src);}).length");

} // namespace

class TestFaultsHostile : public QObject, ShellClass {
  Q_OBJECT
  WebView *page = nullptr;

  int rows() const { return js(page, QStringLiteral("document.querySelectorAll('#messages > li').length")).toInt(); }
  QString lastBody() const {
    return js(page, QStringLiteral("document.querySelector('#messages > li:last-child .body').textContent")).toString();
  }
  // The teacher's chat reaches the page and is its newest row.
  bool shown(const QString &text) const {
    return QTest::qWaitFor([&] { return lastBody() == text; }, 15000);
  }
  void sendChat(const QString &json) { QCOMPARE(teacher.command(ClassCommandCode::Chat, json), 0); }

private slots:
  void initTestCase() {
    const QString error = start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(student->enter());
    page = student->classroom()->findChild<WebView *>();
    QVERIFY(page);
    // Chat reaches the page once its channel to the program is open.
    QVERIFY(QTest::qWaitFor([&] {
      sendChat(chat(QStringLiteral("周老师"), {item(QStringLiteral("text"), QStringLiteral("上课了"))}));
      return shown(QStringLiteral("上课了"));
    }, 30000));
  }

  void cleanupTestCase() {
    QVERIFY(student->leave());
    QVERIFY(student->backAtPortal());
    stop();
  }

  void malformedCommandsChangeNothing() {
    const QList<QByteArray> broken = {
        "", "not json", "[]", "{}", "null", QByteArray(100000, '['), "{\"userAction\":\"x\"}",
        "{\"userAction\":2056}", "{\"userAction\":2056,\"actionParam\":\"{broken\"}",
        "{\"userAction\":2056,\"actionParam\":[1,2]}", "{\"userAction\":2101,\"actionParam\":\"not json\"}",
        "{\"userAction\":2101,\"actionParam\":{\"amount\":\"1e999\"}}", "{\"userAction\":2109,\"actionParam\":\"{\\\"data\\\":5}\"}",
        "{\"userAction\":2113,\"actionParam\":\"\\u0000\"}", "{\"userAction\":2057,\"actionParam\":\"<script>\"}",
        "{\"userAction\":-1,\"actionParam\":\"\"}",
        "{\"userAction\":99999999999,\"actionParam\":\"\"}", QByteArray("\xff\xfe\x00garbage", 10)};
    for (const QByteArray &data : broken) {
      QCOMPARE(teacher.sendCommandData(data), 0);
      QCOMPARE(teacher.sendCommandData(data, student->classroom()->getUserId()), 0);
    }
    QCOMPARE(teacher.command(ClassCommandCode::Display, QString(kHugeText, QLatin1Char('x'))), 0);
    sendChat(chat(QStringLiteral("周老师"), {item(QStringLiteral("text"), QStringLiteral("命令之后"))}));
    QVERIFY(shown(QStringLiteral("命令之后")));
    QCOMPARE(student->classroom()->status(), 2);
    QVERIFY(BoxDriver::openInformation().isEmpty());
  }

  void hostileChatStaysText() {
    const QString activeBefore = js(page, kActiveElements).toString();
    const int before = rows();
    sendChat(chat(kMarkup, {item(QStringLiteral("text"), kMarkup),
                            item(QStringLiteral("face"), QStringLiteral("001\" onerror=\"window.pwned=5")),
                            item(QStringLiteral("face"), QStringLiteral("../../../etc/passwd")),
                            item(QStringLiteral("face"), QStringLiteral("99999")),
                            item(QStringLiteral("face"), QStringLiteral("-1")),
                            item(QStringLiteral("script"), kMarkup)}));
    QVERIFY(shown(kMarkup));
    // The line carries the sender's roster name, not the one in the message.
    QCOMPARE(js(page, QStringLiteral("document.querySelector('#messages > li:last-child .name').textContent")).toString(),
             QStringLiteral("周老师"));
    // Pictures from anywhere but http(s), and messages that are not chat at all.
    sendChat(QStringLiteral("{\"name\":\"x\",\"type\":\"image\",\"url\":\"javascript:window.pwned=6\"}"));
    sendChat(QStringLiteral("<img src=x onerror=window.pwned=7>"));
    // One-to-one plain text with markup and face numbers no face has.
    hubproto::Conversation toStudent;
    toStudent.type = hubproto::Conversation::C2C;
    toStudent.peer = student->classroom()->getUserId();
    hubproto::Element text;
    text.text = kMarkup;
    hubproto::Element face;
    face.kind = hubproto::Element::Face;
    face.faceIndex = -7;
    QCOMPARE(teacher.send(toStudent, {text, face}), 0);
    face.faceIndex = 1000000;
    QCOMPARE(teacher.sendGroup({text, face}), 0);
    // A huge chat text is refused by the hub; nothing of it is shown.
    const QString huge = QString(kHugeWide, QChar(0x5b57));
    QCOMPARE(teacher.command(ClassCommandCode::Chat, chat(QStringLiteral("周老师"), {item(QStringLiteral("text"), huge)})),
             int(hubproto::TooLarge));
    sendChat(chat(QStringLiteral("周老师"), {item(QStringLiteral("text"), QStringLiteral("闲聊之后"))}));
    QVERIFY(shown(QStringLiteral("闲聊之后")));
    QVERIFY(rows() > before);
    QCOMPARE(js(page, kActiveElements).toString(), activeBefore);
    QCOMPARE(js(page, kForeignImages).toInt(), 0);
    QCOMPARE(js(page, QStringLiteral("typeof window.pwned")).toString(), QStringLiteral("undefined"));
    QCOMPARE(student->classroom()->status(), 2);
    QVERIFY(BoxDriver::openInformation().isEmpty());
  }

  void brokenWhiteboardDataIsSurvived() {
    QCOMPARE(teacher.command(ClassCommandCode::Display, QStringLiteral("WhiteBoard")), 0);
    QTest::qWait(500);
    QTRY_VERIFY_WITH_TIMEOUT(student->classroom()->isReadyToLeave(), 15000); // the board has started
    const QList<QByteArray> envelopes = {
        "not json\n", "{}\n", envelope(QJsonValue()).toUtf8(), envelope(QStringLiteral("<script>")).toUtf8(),
        envelope(QJsonArray{QJsonObject{{QStringLiteral("type"), 1}, {QStringLiteral("points"), 5}}}).toUtf8(),
        envelope(QJsonObject{{QStringLiteral("boardId"), QStringLiteral("../../x")},
                             {QStringLiteral("width"), -1e308}, {QStringLiteral("color"), QStringLiteral("#zzzzzz")}})
            .toUtf8()};
    for (const QByteArray &data : envelopes)
      QCOMPARE(teacher.sendGroup({customElement(data, kWhiteBoardExt)}, &kWhiteBoardExt), 0);
    // Oversize: far beyond what fits a custom element, as a file element just under the hub's
    // message limit, and a point list of forty thousand points.
    QJsonArray points;
    for (int i = 0; i < 40000; ++i) points.append(QJsonArray{i, -i});
    hubproto::Element file;
    file.kind = hubproto::Element::File;
    file.name = kWhiteBoardExt;
    file.data = QByteArray(700 * 1024, '{');
    QCOMPARE(teacher.sendGroup({file}, &kWhiteBoardExt), 0);
    file.data = envelope(QJsonObject{{QStringLiteral("points"), points}}).toUtf8();
    QCOMPARE(teacher.sendGroup({file}, &kWhiteBoardExt), 0);
    sendChat(chat(QStringLiteral("周老师"), {item(QStringLiteral("text"), QStringLiteral("画板之后"))}));
    QVERIFY(shown(QStringLiteral("画板之后")));
    QCOMPARE(student->classroom()->status(), 2);
    QVERIFY(BoxDriver::openInformation().isEmpty());
  }
};

int main(int argc, char **argv) { return shellTestMain<TestFaultsHostile>(argc, argv); }

#include "test_faults_hostile.moc"

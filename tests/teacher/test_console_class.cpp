// A whole class taught from the teacher console: tarnwick-local answers the backend calls and
// serves the hub, the console (in this process) is driven by clicks on its own widgets, and a
// student's classroom window (also in this process, on the live SDK over WebSocket) takes the
// class. Each step is checked on the student's side and, where the console shows something,
// on the console too. Once with IM on the hub, once on ejabberd (started for that row only).
#include "../board/boarddriver.h"
#include "../classroom/classfixture.h"
#include "consoledriver.h"

#include "av/qwidgetvideorender.h"
#include "av/qwidgetvideorendercontainer.h"
#include "av/videotilepool.h"
#include "classroom/classchat.h"
#include "classroom_widgets/emojilabel.h"
#include "classroom_widgets/emojipanel.h"
#include "classroom_widgets/qtimageview.h"
#include "classroom_widgets/textedit.h"
#include "core/deployment.h"
#include "sdk/board/boardpainter.h"
#include "sdk/live/ilive.h"
#include "support/ejabberdengine.h"
#include "support/localservice.h"
#include "support/seedaccounts.h"
#include "teacher/console/consolechatpage.h"
#include "teacher/console/classpage.h"
#include "teacher/console/consolechat.h"
#include "teacher/console/consoleclass.h"
#include "teacher/console/consolemain.h"
#include "teacher/console/consolewindow.h"
#include "teacher/console/rosterpanel.h"
#include "teacher/console/signinpage.h"
#include "teacher/console/studenttiles.h"
#include "whiteboard/boardservice.h"
#include "whiteboard/qwindowwhiteboard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QTimer>

using namespace classtest;
using consoledriver::click;
using seed::kMaster;
using seed::kRoomId;

namespace {

const QString kTeacherName = QStringLiteral("周老师");
const int kFace = 5;
const int kWaitMs = 15000;

// Board coordinates (1600 × 900) on a render window of any size.
QPoint onBoard(QWidget *view, int x, int y) {
  const QRectF canvas = board::canvasRect(view->size());
  return QPoint(int(canvas.left() + x * canvas.width() / board::kCanvasWidth),
                int(canvas.top() + y * canvas.height() / board::kCanvasHeight));
}

QColor boardPixel(QWindowWhiteBoard *w, int x, int y) {
  QWidget *view = w->boardService()->renderWindow();
  return view->grab().toImage().pixelColor(onBoard(view, x, y));
}

bool isBlue(const QColor &c) { return c.blue() > 200 && c.red() < 80; }

} // namespace

class TestConsoleClass : public QObject {
  Q_OBJECT

private slots:
  void aWholeClassFromTheConsole_data() {
    QTest::addColumn<bool>("xmpp");
    QTest::newRow("hub") << false;
    QTest::newRow("ejabberd") << true;
  }

  void aWholeClassFromTheConsole() {
    QFETCH(bool, xmpp);
    EjabberdEngine engine;
    if (xmpp) {
      QVERIFY2(engine.start(), qPrintable(engine.errorString()));
      engine.exportServiceEnvironment();
    }
    LocalService service(xmpp ? engine.serviceArgs() : QStringList());
    QVERIFY2(service.start(), qPrintable(service.errorString()));
    const QString base = service.baseUrl();
    Deployment d = Deployment::instance();
    d.im = xmpp ? QStringLiteral("xmpp") : QStringLiteral("hub");
    d.xmppUrl = engine.xmppUrl();
    d.backendUrl = base;
    d.hubUrl = service.hubUrl();
    d.staticUrl = base + QStringLiteral("/static");
    d.previewUrl = base + QStringLiteral("/preview");
    // The chat shows pictures only from the store; here the faces' folder stands in for it.
    d.storageUrl = base + QStringLiteral("/static/png");
    Deployment::setInstance(d);
    GetILive()->setHubAddress(d.hubUrl.toUtf8().constData());
    GetILive()->setImAddress(d.imAddress().toUtf8().constData());
    QVERIFY(GetILive()->init(uint32_t(d.sdkAppId), uint32_t(d.sdkAccountType), true) == 0);

    // The teacher signs in with the demo account the console fills in and enters 300101.
    ConsoleSetup setup = ConsoleSetup::fromDeployment();
    ConsoleWindow console(setup);
    ClassPage *page = consoledriver::enterDemoClass(console, kWaitMs);
    QVERIFY(page);

    // The student signs in and enters; the class starts once the teacher is seen in the room.
    const QString token = service.signIn(seed::kStudentPhone, seed::kStudentPassword);
    QVERIFY(!token.isEmpty());
    FakeShell shell;
    BoxWatch boxes;
    MainForm *w = openLocalClass(shell, token, kRoomId, kMaster);
    useTestDevices(shell);
    QTimer ticks; // the teacher check's ticks, without waiting ten seconds for each
    QObject::connect(&ticks, &QTimer::timeout, w, [w] {
      if (w->teacherCheckTimer()->isActive())
        w->OnCheckTeacherTimer();
    });
    ticks.start(300);
    QTRY_VERIFY_WITH_TIMEOUT(w->status() >= 2, kWaitMs);
    const LocalService::Reply present =
        service.call(QStringLiteral("live-service"), QStringLiteral("teacher_in_room"),
                     {{QStringLiteral("token"), token}, {QStringLiteral("roomId"), QString::number(kRoomId)}});
    QCOMPARE(present.data().value(QStringLiteral("result")).toVariant().toString(), QStringLiteral("true"));
    const QString student = w->getUserId();
    QTRY_VERIFY_WITH_TIMEOUT(page->roster()->rowOf(student) >= 0, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(console.consoleClass()->roster().nameOf(student), w->getUserName(), kWaitMs);

    // On stage with the camera: the student's own tile, and the student's video in the console.
    page->roster()->choose(student);
    QVERIFY(click(page, "btnCallWithCamera"));
    QTRY_VERIFY_WITH_TIMEOUT(w->cameraUp() && w->status() == 3, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(VideoTilePool::instance().tile(student) != nullptr, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(VideoTilePool::instance().tile(student)->render()->streamUserId(), student.toUtf8(), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(page->tiles()->tile(student) != nullptr, kWaitMs);
    QWidgetVideoRender *tile = page->tiles()->tile(student);
    QTRY_VERIFY_WITH_TIMEOUT(!tile->canvasSnapshot().isNull(), kWaitMs);
    QCOMPARE(tile->streamUserId(), student.toUtf8());
    QTRY_VERIFY_WITH_TIMEOUT(console.consoleClass()->roster().find(student)->camera, kWaitMs);

    // Everybody down: the student leaves the stage and the console's tile goes.
    QVERIFY(click(page, "btnEveryoneOffStage"));
    QTRY_COMPARE_WITH_TIMEOUT(w->status(), 2, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(page->tiles()->tile(student) == nullptr, kWaitMs);

    // A stroke on the whiteboard reaches the student's board.
    QVERIFY(click(page, "btnShowBoard"));
    QTRY_VERIFY_WITH_TIMEOUT(w->findChild<QWindowWhiteBoard *>() != nullptr, kWaitMs);
    QWindowWhiteBoard *studentBoard = w->findChild<QWindowWhiteBoard *>();
    QTRY_VERIFY_WITH_TIMEOUT(studentBoard->isStarted(), kWaitMs);
    QVERIFY(!isBlue(boardPixel(studentBoard, 800, 450)));
    QWidget *teacherView = page->whiteboard()->boardService()->renderWindow();
    boarddriver::drag(teacherView, {onBoard(teacherView, 300, 450), onBoard(teacherView, 800, 450),
                                    onBoard(teacherView, 1300, 450)});
    QTRY_VERIFY_WITH_TIMEOUT(isBlue(boardPixel(studentBoard, 800, 450)), kWaitMs);

    // The upload button offers the service's documents; the chosen one reaches the student.
    QTRY_VERIFY_WITH_TIMEOUT(page->documentMenu() != nullptr, kWaitMs);
    QVERIFY(click(page->whiteboard(), "btnUpload"));
    QTRY_VERIFY(page->documentMenu()->isVisible());
    QCOMPARE(page->whiteboard()->boardService()->pageCount(), 1u); // the button alone adds nothing
    QAction *deck = nullptr;
    for (QAction *a : page->documentMenu()->actions())
      if (a->data().toString() == QLatin1String("aaa.ppt"))
        deck = a;
    QVERIFY(deck);
    deck->trigger();
    page->documentMenu()->hide();
    QTRY_COMPARE_WITH_TIMEOUT(page->whiteboard()->boardService()->pageCount(), 20u, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(studentBoard->boardService()->pageCount(), 20u, kWaitMs);

    // Chat with a face: shown once on the student's chat page (from 2056, not again from the
    // plain elements, since the teacher's roster entry is a client of this kind).
    ConsoleChat *chat = page->chat();
    QTest::keyClicks(chat->input(), QStringLiteral("Good morning "));
    QVERIFY(click(chat, "btnEmoji"));
    QTest::mouseClick(chat->emojiPanel()->cell(kFace), Qt::LeftButton);
    QVERIFY(click(chat, "btnSend"));
    const QString line = QStringLiteral("%1:Good morning [表情%2]").arg(kTeacherName, TextEdit::emojiCode(kFace));
    QTRY_VERIFY_WITH_TIMEOUT(w->chat()->shownLines().contains(line), kWaitMs);
    QTest::qWait(500); // a second copy would follow right behind
    QCOMPARE(w->chat()->shownLines().count(line), 1);

    // A picture in the discussion opens in the picture viewer, as on the students' page.
    QTRY_VERIFY_WITH_TIMEOUT(chat->page()->isReady(), kWaitMs);
    const QJsonObject picture{{"name", w->getUserName()}, {"type", "image"},
                              {"url", base + QStringLiteral("/static/png/emoji/image005.png")}};
    chat->page()->post(QString::fromUtf8(QJsonDocument(picture).toJson()), 0);
    chat->page()->page()->runJavaScript(QStringLiteral("document.querySelector('img.picture').click();"));
    QTRY_VERIFY_WITH_TIMEOUT(chat->page()->imageView() && chat->page()->imageView()->isVisible(), kWaitMs);
    chat->page()->imageView()->close();

    // A class name changed in class reaches the teacher's roster, though the student does not
    // announce itself again.
    const QString renamed = QStringLiteral("林小雨_二班");
    QCOMPARE(service.call(QStringLiteral("quorvel"), QStringLiteral("edit-student-name"),
                          {{QStringLiteral("token"), token}, {QStringLiteral("name"), renamed}})
                 .errorCode(),
             0);
    QTRY_COMPARE_WITH_TIMEOUT(console.consoleClass()->roster().nameOf(student), renamed, kWaitMs);

    // Closing the discussion disables the student's input.
    auto *input = w->findChild<TextEdit *>();
    QVERIFY(input && input->isEnabled());
    QVERIFY(click(page, "btnCloseDiscussion"));
    QTRY_VERIFY_WITH_TIMEOUT(!input->isEnabled(), kWaitMs);
    QVERIFY(!w->chat()->chatAllowed());

    // The end of the class takes the student back to the portal, and the console to its
    // sign-in page.
    QVERIFY(click(page, "btnEndClass"));
    QTRY_VERIFY_WITH_TIMEOUT(w->isClosed(), kWaitMs);
    QVERIFY(shell.calls.contains(QStringLiteral("leaveClass(false)")));
    QVERIFY(BoxWatch::information().contains(QStringLiteral("老师退出房间|老师已经退出房间.")));
    QTRY_VERIFY_WITH_TIMEOUT(console.classPage() == nullptr, kWaitMs);
    delete w;
    GetILive()->release(nullptr, nullptr, nullptr);
    QVERIFY(service.stop());
  }
};

int main(int argc, char *argv[]) {
  consolemain::prepare();
  QApplication app(argc, argv);
  TestConsoleClass test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_console_class.moc"

// A whole class on the whiteboard, on an in-process hub: the scripted teacher draws, adds a
// page and a document, and draws a stroke long enough to travel as a file element; a student's view-only window, fed through the IM layer and its message
// hook, shows the strokes and the document page; a student who comes in later gets the same
// picture from the room's history. Document pages come from a running tarnwick-local.
#include "hubstudent.h"
#include "teacherrun.h"

#include "../messaging/recordingwindow.h"
#include "messaging/messagehook.h"
#include "protocol/immessage.h"
#include "sdk/board/boardhistory.h"
#include "sdk/board/boardpainter.h"
#include "sdk/im/imbridge.h"
#include "service/hub/hub.h"
#include "support/localservice.h"
#include "whiteboard/boardservice.h"
#include "whiteboard/qwindowwhiteboard.h"

#include <QAbstractButton>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

namespace {

const QByteArray kScenario = R"({
  "name": "白板", "room": 300101, "timeout": 20,
  "steps": [
    {"do": "enter"},
    {"do": "waitMember", "user": "s1"},
    {"do": "display", "mode": "WhiteBoard"},
    {"do": "boardTool", "tool": "pen", "color": "#ff0100", "width": 150},
    {"do": "boardDraw", "points": [[100, 800], [400, 500], [700, 300], [900, 100]]},
    {"do": "boardTool", "tool": "rectangle", "color": "#00cc00", "width": 100, "fill": true},
    {"do": "boardDraw", "points": [[1000, 500], [1400, 800]]},
    {"do": "boardUndo"},
    {"do": "boardPage"},
    {"do": "boardTool", "tool": "line", "color": "#000000", "width": 100},
    {"do": "boardDraw", "points": [[100, 100], [1500, 800]]},
    {"do": "boardDocument", "file": "aaa.ppt", "pages": 20},
    {"do": "boardGoto", "page": 2},
    {"do": "boardTool", "tool": "ellipse", "color": "#ff0100", "width": 150},
    {"do": "boardDraw", "points": [[1250, 230], [1560, 330]]},
    {"do": "boardTool", "tool": "pen", "color": "#000000", "width": 100},
    {"do": "boardDraw", "points": LONG_STROKE},
    {"do": "wait", "seconds": 30}
  ]
})";

const QColor kTitleBlue(0x00, 0x75, 0xff);

// A stroke of 900 points along y = 700 from x = 100 to 999: its action data is too long for a
// custom element, so it travels as a file element.
QByteArray withLongStroke(QByteArray scenario) {
  QJsonArray points;
  for (int x = 100; x < 1000; ++x)
    points.append(QJsonArray{x, 700 + (x % 2)});
  return scenario.replace("LONG_STROKE", QJsonDocument(QJsonArray{points}).toJson(QJsonDocument::Compact).mid(1).chopped(1));
}

bool isBlack(const QColor &c) { return c.red() < 60 && c.green() < 60 && c.blue() < 60; }

bool isRed(const QColor &c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }

BoardClassData studentData(const QString &user, const LocalService &service) {
  BoardClassData data;
  data.userId = user;
  data.userSig = QStringLiteral("sig");
  data.roomId = int(kTeacherTestRoom);
  data.previewUrl = service.baseUrl() + QStringLiteral("/preview");
  return data;
}

// The student's render window at a fixed size, and a point on it in board coordinates.
struct Picture {
  explicit Picture(QWindowWhiteBoard &w) {
    QWidget *view = w.boardService()->renderWindow();
    image = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    canvas = board::canvasRect(view->size());
  }
  QColor at(int x, int y) const {
    return image.pixelColor(int(canvas.left() + x * canvas.width() / board::kCanvasWidth),
                            int(canvas.top() + y * canvas.height() / board::kCanvasHeight));
  }
  QImage image;
  QRectF canvas;
};

bool showsTheDocumentPage(QWindowWhiteBoard &w) {
  const Picture p(w);
  // The slide's title bar, and the left edge of the ellipse drawn over the slide.
  return p.at(40, 40) == kTitleBlue && isRed(p.at(1250, 280)) && !isRed(p.at(1405, 280)) &&
         isBlack(p.at(550, 700));
}

} // namespace

class TestTeacherBoard : public QObject {
  Q_OBJECT
private slots:
  void initTestCase() { QVERIFY2(m_service.start(), qPrintable(m_service.errorString())); }

  void studentsSeeTheTeachersBoard() {
    Hub hub(kTeacherTestSecret);
    board::setHistorySource([&hub](QNetworkAccessManager *, const board::HistoryQuery &q, board::HistoryDone done) {
      const QJsonObject reply{{"errorCode", 0},
                              {"data", QJsonObject{{"messages", hub.whiteboardHistory().messages(q.roomId)}}}};
      int code = 0;
      const QList<QByteArray> envelopes = board::envelopesOfReply(QJsonDocument(reply).toJson(), &code);
      done(code, envelopes);
    });
    // The first student: hub messages go through the IM layer and the message hook.
    RecordingWindow classroom;
    MessageHook::install(&classroom);
    HubStudent s1(&hub, QStringLiteral("s1"));
    connect(&s1.client, &sdk::HubClient::imMessage, this, [](const hubproto::ImMessage &m) { imbridge::deliver(m); });
    QCOMPARE(s1.login(kTeacherTestSecret), 0);
    QCOMPARE(s1.join(kTeacherTestRoom), 0);
    auto first = std::make_unique<QWindowWhiteBoard>(nullptr, studentData(s1.userId, m_service));
    first->setInteractive(false);
    first->resize(960, 540);
    first->show();
    QTRY_VERIFY(first->isStarted());

    TeacherRun teacher;
    teacher.previewUrl = m_service.baseUrl() + QStringLiteral("/preview");
    QVERIFY2(teacher.start(&hub, withLongStroke(kScenario)), qPrintable(teacher.error));
    QVERIFY(s1.waitForCode(ClassCommandCode::Display));
    QCOMPARE(s1.find(ClassCommandCode::Display)->param, QStringLiteral("WhiteBoard"));
    QTRY_VERIFY_WITH_TIMEOUT(showsTheDocumentPage(*first), 15000);
    QVERIFY2(teacher.warnings.isEmpty(), qPrintable(teacher.warnings.join('\n')));
    QCOMPARE(first->findChild<QAbstractButton *>("btnPageNumber")->text(), QStringLiteral("2 / 20"));
    // Nothing of the whiteboard reached the classroom's chat and commands.
    imbridge::flush();
    QCoreApplication::processEvents();
    for (const ReceivedMessage &m : classroom.received)
      for (const LiveMessage &r : m.records)
        QVERIFY2(!r.text.contains(QLatin1String("\"op\"")), qPrintable(r.text));
    const QImage seen = Picture(*first).image;
    QVERIFY(first->boardService()->tool() == board::ToolNone);
    // The long stroke went as a file element.
    const QJsonArray kept = hub.whiteboardHistory().messages(kTeacherTestRoom);
    QVERIFY(std::any_of(kept.begin(), kept.end(), [](const QJsonValue &m) {
      return m["elems"].toArray().at(0)["type"].toString() == QLatin1String("file");
    }));
    first.reset();
    MessageHook::uninstall();

    // The second student comes in later and replays the room's history.
    HubStudent s2(&hub, QStringLiteral("s2"));
    QCOMPARE(s2.login(kTeacherTestSecret), 0);
    QCOMPARE(s2.join(kTeacherTestRoom), 0);
    QWindowWhiteBoard second(nullptr, studentData(s2.userId, m_service));
    second.setInteractive(false);
    second.resize(960, 540);
    second.show();
    QTRY_VERIFY(second.isStarted());
    QTRY_VERIFY_WITH_TIMEOUT(showsTheDocumentPage(second), 15000);
    QCOMPARE(Picture(second).image, seen);
    QCOMPARE(second.findChild<QAbstractButton *>("btnPageNumber")->text(), QStringLiteral("2 / 20"));
    saveForLooking(seen);
    teacher.runner->interrupt();
    QVERIFY(teacher.waitFinished());
    board::setHistorySource({});
  }

private:
  // Kept beside the test's binary for a person to look at.
  static void saveForLooking(const QImage &image) {
    const QString dir = qEnvironmentVariable("TARNWICK_BIN_DIR", QStringLiteral("."));
    image.save(dir + QStringLiteral("/whiteboard-student.png"));
  }
  LocalService m_service;
};

QTEST_MAIN(TestTeacherBoard)
#include "test_teacher_board.moc"

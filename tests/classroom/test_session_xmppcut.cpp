// A class with IM on ejabberd whose IM link is cut: the student's (its classroom reaches the
// server through a loopback relay the test cuts) or the teacher's (the teacher programs'
// session, in this process, through a relay of its own). Three seconds away cost nothing:
// chat both ways, a board stroke and commands from during the cut arrive once and in order,
// the student stays seated without a box. A cut longer than the tries ends the student's
// class once, through the connection-lost path. One ejabberd and one service for the program;
// media and the roster stay on the hub.
#include "scriptedclass.h"

#include "faultclass.h"
#include "loopbackproxy.h"
#include "studentview.h"

#include "classroom/classchat.h"
#include "classroom_widgets/reconnectbanner.h"
#include "core/deployment.h"
#include "messaging/classcommand.h"
#include "protocol/classcommandcode.h"
#include "sdk/live/ilive.h"
#include "sdk/live/linkresume.h"
#include "sdk/net/hubtransport.h"
#include "support/ejabberdengine.h"
#include "support/localservice.h"
#include "teacher/teacherboard.h"
#include "teacher/teachersession.h"
#include "whiteboard/qwindowwhiteboard.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace classtest;

namespace {
constexpr int kClassMs = 20000;
constexpr int kCutMs = 3000;
constexpr int kStudentCaseY = 300;
constexpr int kTeacherCaseY = 600;
const QString kConnectionLost = QStringLiteral("与课堂的连接异常中断");

int linesWith(MainForm *w, const QString &text) {
  const QStringList lines = w->chat()->shownLines();
  return int(std::count_if(lines.cbegin(), lines.cend(), [&](const QString &l) { return l.contains(text); }));
}

int indexOfLine(MainForm *w, const QString &text) {
  const QStringList lines = w->chat()->shownLines();
  for (int i = 0; i < lines.size(); ++i)
    if (lines.at(i).contains(text)) return i;
  return -1;
}
} // namespace

class TestSessionXmppCut : public QObject {
  Q_OBJECT

  EjabberdEngine m_engine;
  std::unique_ptr<LocalService> m_service;
  std::unique_ptr<ScriptedClass> m_class; // seats the student; the teacher is this process's
  std::unique_ptr<LoopbackProxy> m_studentIm; // the student's way to the IM server
  std::unique_ptr<LoopbackProxy> m_teacherIm; // the teacher's
  std::unique_ptr<TeacherSession> m_teacher;
  QString m_teacherId;
  QList<ReceivedCommand> m_teacherGot;
  int m_sendFailures = 0;

  QString relayUrl(const LoopbackProxy &relay) const {
    return QStringLiteral("xmpp://127.0.0.1:%1/%2").arg(relay.port()).arg(m_engine.domain());
  }

  bool seatTeacher() {
    const std::optional<TeacherCredentials> credentials = faults::teacherSignIn(m_service->baseUrl(), faults::kRoom);
    if (!credentials) return false;
    m_teacherId = credentials->userId;
    const QString hubUrl = m_service->hubUrl();
    m_teacher = std::make_unique<TeacherSession>([hubUrl] { return sdk::createHubTransport(hubUrl); });
    m_teacher->setImRoute({relayUrl(*m_teacherIm), credentials->imToken});
    connect(m_teacher.get(), &TeacherSession::commandReceived, this, [this](const ReceivedCommand &c) { m_teacherGot << c; });
    int code = -1;
    m_teacher->signIn(credentials->userId, credentials->userSig, [&code](int c, const QString &) { code = c; });
    if (!QTest::qWaitFor([&] { return code >= 0; }, kClassMs) || code != 0) return false;
    code = -1;
    m_teacher->enter(faults::kRoom, credentials->authBuffer, [&code](int c, const QString &, const QStringList &) { code = c; });
    return QTest::qWaitFor([&] { return code >= 0; }, kClassMs) && code == 0;
  }
  void teacherCommand(const QString &to, ClassCommandCode code, const QString &param) {
    m_teacher->sendCommand(to, toWire(code), param, [this](int c, const QString &) { m_sendFailures += c != 0; });
  }
  void teacherSays(const QString &text) {
    teacherCommand(QString(), ClassCommandCode::Chat, faults::chatPageMessage(QStringLiteral("周老师"), text));
  }
  int teacherGot(ClassCommandCode code, const QString &containing = QString()) const {
    return int(std::count_if(m_teacherGot.cbegin(), m_teacherGot.cend(), [&](const ReceivedCommand &c) {
      return c.code == toWire(code) && c.param.contains(containing);
    }));
  }
  int teacherIndexOf(const QString &text) const {
    for (int i = 0; i < m_teacherGot.size(); ++i)
      if (m_teacherGot.at(i).param.contains(text)) return i;
    return -1;
  }
  void reward(const QString &userId) {
    const QJsonObject r{{QStringLiteral("type"), QStringLiteral("101")}, {QStringLiteral("amount"), 5},
                        {QStringLiteral("receiver"), userId}, {QStringLiteral("receiver_name"), userId},
                        {QStringLiteral("message"), QStringLiteral("恭喜[receiver_name]获得红包")},
                        {QStringLiteral("memo"), QString()}};
    teacherCommand(QString(), ClassCommandCode::Reward, QString::fromUtf8(QJsonDocument(r).toJson(QJsonDocument::Compact)));
  }
  // The teacher shows the board and gets its drawing ready; the student's board has started.
  void boardShown(MainForm *w, TeacherBoard *drawing) {
    connect(drawing, &TeacherBoard::envelope, drawing, [this](const QByteArray &e) {
      m_teacher->sendWhiteboard(e, [this](int c, const QString &) { m_sendFailures += c != 0; });
    });
    teacherCommand(QString(), ClassCommandCode::Display, QStringLiteral("WhiteBoard"));
    QTRY_VERIFY_WITH_TIMEOUT(w->findChild<QWindowWhiteBoard *>() && w->isReadyToLeave(), kClassMs);
    bool ready = false;
    drawing->whenReady([&ready] { ready = true; });
    QTRY_VERIFY_WITH_TIMEOUT(ready, kClassMs);
  }
  // A red stroke across the board at height y (canvas points); the room's board keeps what
  // earlier cases drew, so each draws at its own height.
  void drawStroke(TeacherBoard *drawing, int y) {
    drawing->useTool(QStringLiteral("pen"), faults::kRed, faults::kPenWidth, false);
    drawing->draw({QJsonArray{200, y}, QJsonArray{faults::kStrokeX, y}, QJsonArray{1400, y}});
  }
  static bool strokeShows(MainForm *w, int y) { return faults::boardShowsRedAt(w, faults::kStrokeX, y); }

  struct Seat {
    FakeShell shell;
    BoxWatch boxes;
    QTimer ticks;
    MainForm *w = nullptr;
  };

private slots:
  void initTestCase() {
    QVERIFY2(m_engine.start(), qPrintable(m_engine.errorString()));
    m_studentIm = std::make_unique<LoopbackProxy>(m_engine.c2sPort());
    m_teacherIm = std::make_unique<LoopbackProxy>(m_engine.c2sPort());
    m_service = startClassOnEjabberd(m_engine, relayUrl(*m_studentIm));
    QVERIFY(m_service);
    m_class = std::make_unique<ScriptedClass>(*m_service);
  }

  void init() {
    m_teacherGot.clear();
    m_sendFailures = 0;
    QVERIFY(seatTeacher());
  }

  void cleanup() {
    m_studentIm->setFrozen(false);
    m_teacherIm->setFrozen(false);
    ilivesdk::LinkResume::setDefaultPolicy(ilivesdk::ReconnectPolicy::kFirstDelayMs, ilivesdk::ReconnectPolicy::kBudgetMs);
    BoxWatch::closeInformation();
    bool left = false;
    m_teacher->leave([&left](int, const QString &) { left = true; });
    QTRY_VERIFY_WITH_TIMEOUT(left, kClassMs);
    m_teacher.reset();
  }

  void cleanupTestCase() {
    m_class.reset();
    GetILive()->release(nullptr, nullptr, nullptr);
    QVERIFY(!m_service || m_service->stop()); // none when the engine did not start
  }

  // The student's IM link away for three seconds, the board shown: the banner shows and goes,
  // no box; the teacher's chat, a reward to the class, the call on stage to the student alone
  // and a stroke, all from during the cut, arrive once and in order; the student's own line
  // from during the cut reaches the teacher once.
  void studentImCutKeepsTheClass() {
    Seat seat;
    seat.w = m_class->seatStudent(seat.shell, &seat.ticks, kClassMs);
    QVERIFY(seat.w);
    MainForm *w = seat.w;
    const QString me = w->getUserId();
    TeacherBoard drawing(m_teacherId, faults::kRoom, m_service->baseUrl() + QStringLiteral("/preview"));
    boardShown(w, &drawing);
    if (QTest::currentTestFailed()) return;
    teacherSays(QStringLiteral("断线前"));
    QTRY_COMPARE_WITH_TIMEOUT(linesWith(w, QStringLiteral("断线前")), 1, kClassMs);

    m_studentIm->setFrozen(true);
    m_studentIm->cutAll();
    QTRY_VERIFY_WITH_TIMEOUT(w->reconnectBanner()->isVisible(), 5000);
    QCOMPARE(w->reconnectBanner()->text(), QString::fromUtf8(ReconnectBanner::kText));
    teacherSays(QStringLiteral("断线中一"));
    reward(me);
    int granted = -1;
    m_teacher->grantStage(me, [&granted](int c, const QString &) { granted = c; });
    QTRY_COMPARE_WITH_TIMEOUT(granted, 0, kClassMs);
    teacherCommand(me, ClassCommandCode::CallOnStage, QString());
    QVERIFY(!strokeShows(w, kStudentCaseY));
    drawStroke(&drawing, kStudentCaseY);
    teacherSays(QStringLiteral("断线中二"));
    QVERIFY(faults::studentSays(w, QStringLiteral("学生断线中")));
    QTest::qWait(kCutMs);
    QCOMPARE(linesWith(w, QStringLiteral("断线中一")), 0); // nothing passed the cut link
    QCOMPARE(teacherGot(ClassCommandCode::Chat, QStringLiteral("学生断线中")), 0);
    QCOMPARE(w->status(), 2);
    m_studentIm->setFrozen(false);

    QTRY_VERIFY_WITH_TIMEOUT(!w->reconnectBanner()->isVisible(), kClassMs);
    QTRY_COMPARE_WITH_TIMEOUT(linesWith(w, QStringLiteral("断线中二")), 1, kClassMs);
    QCOMPARE(linesWith(w, QStringLiteral("断线中一")), 1);
    QVERIFY(indexOfLine(w, QStringLiteral("断线中一")) < indexOfLine(w, QStringLiteral("断线中二")));
    QCOMPARE(linesWith(w, QStringLiteral("恭喜你获得红包")), 1);
    QTRY_COMPARE_WITH_TIMEOUT(w->status(), 3, kClassMs);
    QTRY_COMPARE_WITH_TIMEOUT(teacherGot(ClassCommandCode::OnStage), 1, kClassMs);
    QTRY_VERIFY_WITH_TIMEOUT(strokeShows(w, kStudentCaseY), kClassMs);
    QTRY_COMPARE_WITH_TIMEOUT(teacherGot(ClassCommandCode::Chat, QStringLiteral("学生断线中")), 1, kClassMs);

    // The class goes on both ways, and nothing came twice meanwhile.
    teacherSays(QStringLiteral("断线后"));
    QVERIFY(faults::studentSays(w, QStringLiteral("学生断线后")));
    QTRY_COMPARE_WITH_TIMEOUT(linesWith(w, QStringLiteral("断线后")), 1, kClassMs);
    QTRY_COMPARE_WITH_TIMEOUT(teacherGot(ClassCommandCode::Chat, QStringLiteral("学生断线后")), 1, kClassMs);
    QCOMPARE(teacherGot(ClassCommandCode::Chat, QStringLiteral("学生断线中")), 1);
    QCOMPARE(teacherGot(ClassCommandCode::OnStage), 1);
    QCOMPARE(linesWith(w, QStringLiteral("断线中一")), 1);
    QCOMPARE(linesWith(w, QStringLiteral("恭喜你获得红包")), 1);
    QCOMPARE(m_sendFailures, 0);
    QVERIFY(!w->isClosed());
    QCOMPARE(BoxWatch::information(), QStringList());
    w->session()->exitClass();
    QTRY_VERIFY_WITH_TIMEOUT(w->isClosed(), kClassMs);
    delete w;
  }

  // The teacher's IM link away for three seconds: the teacher's side says it is coming back
  // and then that it is back; what the teacher said and drew meanwhile reaches the student
  // once and in order, the student's line reaches the teacher once, the student sees nothing
  // of it.
  void teacherImCutKeepsTheClass() {
    Seat seat;
    seat.w = m_class->seatStudent(seat.shell, &seat.ticks, kClassMs);
    QVERIFY(seat.w);
    MainForm *w = seat.w;
    TeacherBoard drawing(m_teacherId, faults::kRoom, m_service->baseUrl() + QStringLiteral("/preview"));
    boardShown(w, &drawing);
    if (QTest::currentTestFailed()) return;
    QSignalSpy reconnecting(m_teacher.get(), &TeacherSession::reconnecting);
    QSignalSpy lost(m_teacher.get(), &TeacherSession::lost);

    m_teacherIm->setFrozen(true);
    m_teacherIm->cutAll();
    QTRY_VERIFY_WITH_TIMEOUT(m_teacher->isReconnecting(), 5000);
    teacherSays(QStringLiteral("老师断线中一"));
    QVERIFY(!strokeShows(w, kTeacherCaseY));
    drawStroke(&drawing, kTeacherCaseY);
    teacherSays(QStringLiteral("老师断线中二"));
    QVERIFY(faults::studentSays(w, QStringLiteral("学生在老师断线时")));
    QTest::qWait(kCutMs);
    QCOMPARE(linesWith(w, QStringLiteral("老师断线中一")), 0);
    QVERIFY(!strokeShows(w, kTeacherCaseY));
    m_teacherIm->setFrozen(false);

    QTRY_VERIFY_WITH_TIMEOUT(!m_teacher->isReconnecting(), kClassMs);
    QCOMPARE(reconnecting.count(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(linesWith(w, QStringLiteral("老师断线中二")), 1, kClassMs);
    QCOMPARE(linesWith(w, QStringLiteral("老师断线中一")), 1);
    QVERIFY(indexOfLine(w, QStringLiteral("老师断线中一")) < indexOfLine(w, QStringLiteral("老师断线中二")));
    QTRY_VERIFY_WITH_TIMEOUT(strokeShows(w, kTeacherCaseY), kClassMs);
    QTRY_COMPARE_WITH_TIMEOUT(teacherGot(ClassCommandCode::Chat, QStringLiteral("学生在老师断线时")), 1, kClassMs);
    teacherSays(QStringLiteral("老师回来了"));
    QTRY_COMPARE_WITH_TIMEOUT(linesWith(w, QStringLiteral("老师回来了")), 1, kClassMs);
    QCOMPARE(linesWith(w, QStringLiteral("老师断线中一")), 1);
    QCOMPARE(teacherGot(ClassCommandCode::Chat, QStringLiteral("学生在老师断线时")), 1);
    QCOMPARE(lost.count(), 0);
    QCOMPARE(m_sendFailures, 0);
    QVERIFY(!w->reconnectBanner()->isVisible());
    QCOMPARE(BoxWatch::information(), QStringList());
    QCOMPARE(w->status(), 2);
    w->session()->exitClass();
    QTRY_VERIFY_WITH_TIMEOUT(w->isClosed(), kClassMs);
    delete w;
  }

  // Away for longer than the tries (shortened here): the class ends once through the
  // connection-lost path, and not before the tries ran out.
  void aLongStudentImCutEndsTheClassOnce() {
    constexpr int kBudgetMs = 4000;
    ilivesdk::LinkResume::setDefaultPolicy(100, kBudgetMs);
    Seat seat;
    seat.w = m_class->seatStudent(seat.shell, &seat.ticks, kClassMs);
    QVERIFY(seat.w);
    MainForm *w = seat.w;
    QSignalSpy released(w, &MainForm::releaseFinished);
    QSignalSpy shown(w->session(), &ClassSession::codeErrorShown);
    QElapsedTimer sinceCut;
    m_studentIm->setFrozen(true);
    m_studentIm->cutAll();
    sinceCut.start();
    QTRY_VERIFY_WITH_TIMEOUT(w->reconnectBanner()->isVisible(), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(BoxWatch::informationCount(kConnectionLost), 1, kBudgetMs + kClassMs);
    QVERIFY2(sinceCut.elapsed() >= kBudgetMs - 1000, "the class was given up before the tries ran out");
    // The detail that goes to the log names the link that was lost: here the IM server's.
    QCOMPARE(shown.count(), 1);
    const QString detail = shown.first().at(2).toString();
    QVERIFY2(detail.startsWith(QLatin1String("connection to the class IM server lost")), qPrintable(detail));
    QTRY_VERIFY_WITH_TIMEOUT(w->isClosed(), kClassMs);
    QCOMPARE(released.count(), 1);
    QTest::qWait(1000);
    QCOMPARE(BoxWatch::informationCount(kConnectionLost), 1);
    QCOMPARE(BoxWatch::information().size(), 1);
    delete w;
  }
};

QTEST_MAIN(TestSessionXmppCut)
#include "test_session_xmppcut.moc"

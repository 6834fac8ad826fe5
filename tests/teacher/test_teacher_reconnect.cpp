// The teacher programs' session when its link to the hub breaks, on an in-process hub whose
// links the test cuts: it comes back by itself with what it missed, the roster as it now is,
// its stream and what it sent meanwhile; or, when the link stays away, it reports the class
// lost once.
#include "../sdk/cuttabletransport.h"
#include "hubstudent.h"
#include "teacherrun.h"

#include "sdk/live/linkresume.h"
#include "sdk/live/reconnectpolicy.h"
#include "service/hub/hub.h"
#include "teacher/teachercredentials.h"
#include "teacher/teachersession.h"

#include <QSignalSpy>
#include <QtTest>

using hubproto::Source;

namespace {

const QString kTeacher = QStringLiteral("t1");
constexpr int kWaitMs = 5000;
constexpr int kPictureWidth = 160;
constexpr int kPictureHeight = 120;

QByteArray greyPicture() { return QByteArray(hubproto::i420Size(kPictureWidth, kPictureHeight), char(0x80)); }

// A send's answer.
struct Answer {
  int code = -1;
  int calls = 0;
  TeacherSession::Done fn() {
    return [this](int c, const QString &) {
      code = c;
      ++calls;
    };
  }
};

QStringList chatParams(const HubStudent &s) {
  QStringList out;
  for (const SeenCommand &c : s.commands)
    if (c.code == toWire(ClassCommandCode::Chat)) out << c.param;
  return out;
}

} // namespace

class TestTeacherReconnect : public QObject {
  Q_OBJECT

  std::unique_ptr<Hub> hub;
  std::unique_ptr<LinkSwitch> links;
  std::unique_ptr<TeacherSession> session;
  QStringList received; // chat params the teacher received, in order

  bool teacherEnters() {
    session = std::make_unique<TeacherSession>(
        [this]() -> std::unique_ptr<sdk::HubTransport> {
          auto t = std::make_unique<CuttableTransport>(hub.get(), links.get());
          links->add(t.get());
          return t;
        });
    connect(session.get(), &TeacherSession::commandReceived, this, [this](const ReceivedCommand &c) {
      if (c.code == toWire(ClassCommandCode::Chat)) received << c.param;
    });
    const TeacherCredentials c = TeacherCredentials::signedLocally(kTeacherTestSecret, kTeacher, QStringLiteral("周老师"),
                                                                   kTeacherTestRoom, QLatin1String(hubproto::kRoleLiveMaster));
    int signedIn = -1;
    session->signIn(c.userId, c.userSig, [&signedIn](int code, const QString &) { signedIn = code; });
    if (!QTest::qWaitFor([&] { return signedIn >= 0; }, kWaitMs) || signedIn != 0) return false;
    int entered = -1;
    session->enter(kTeacherTestRoom, c.authBuffer, [&entered](int code, const QString &, const QStringList &) { entered = code; });
    return QTest::qWaitFor([&] { return entered >= 0; }, kWaitMs) && entered == 0;
  }
  // Every link of the teacher breaks and stays down; the session starts its tries.
  void cutTheTeacher() {
    links->down = true;
    links->cutAll();
    QTRY_VERIFY(session->isReconnecting());
  }
  static bool seat(HubStudent &s) { return s.login(kTeacherTestSecret) == 0 && s.join(kTeacherTestRoom) == 0; }

private slots:
  void init() {
    hub = std::make_unique<Hub>(kTeacherTestSecret);
    links = std::make_unique<LinkSwitch>();
    received.clear();
    ilivesdk::LinkResume::setDefaultPolicy(50, 2000);
    QVERIFY(teacherEnters());
  }
  void cleanup() {
    session.reset();
    hub.reset();
    links.reset();
    ilivesdk::LinkResume::setDefaultPolicy(ilivesdk::ReconnectPolicy::kFirstDelayMs, ilivesdk::ReconnectPolicy::kBudgetMs);
  }

  // A cut mid-class: the room sees no exit and no entry of the teacher; the teacher's chat from
  // during the cut reaches the student once and in order, and is answered done; the student's
  // chat from during the cut reaches the teacher once; a classmate who left during the cut
  // leaves the teacher's roster and one who came in enters it; the camera is published again
  // and its pictures reach the student again.
  void aCutCostsTheTeacherNothing() {
    HubStudent s1(hub.get(), QStringLiteral("s1"));
    HubStudent s2(hub.get(), QStringLiteral("s2"));
    HubStudent s3(hub.get(), QStringLiteral("s3"));
    QVERIFY(seat(s1) && seat(s2));
    QSignalSpy entered(session.get(), &TeacherSession::memberEntered);
    QSignalSpy left(session.get(), &TeacherSession::memberLeft);
    QSignalSpy reconnecting(session.get(), &TeacherSession::reconnecting);
    QList<QString> teacherNotices;
    connect(&s1.client, &sdk::HubClient::memberNotice, this,
            [&](quint32, const QString &event, const QString &userId, const QString &) {
              if (userId == kTeacher) teacherNotices << event;
            });
    Answer published;
    session->publish(Source::Camera, published.fn());
    QTRY_COMPARE(published.code, 0);
    QCOMPARE(s1.requestStream(kTeacher, Source::Camera), 0);
    session->sendVideo(Source::Camera, greyPicture(), kPictureWidth, kPictureHeight);
    QTRY_VERIFY(s1.frames(Source::Camera) > 0);

    cutTheTeacher();
    if (QTest::currentTestFailed()) return;
    QVERIFY(session->isInRoom());
    Answer first, second, granted;
    session->sendCommand(QString(), toWire(ClassCommandCode::Chat), QStringLiteral("老师一"), first.fn());
    session->sendCommand(QString(), toWire(ClassCommandCode::Chat), QStringLiteral("老师二"), second.fn());
    session->grantStage(QStringLiteral("s1"), granted.fn()); // needs the link: refused at once
    QCOMPARE(granted.code, int(hubproto::ClientConnectionLost));
    QCOMPARE(first.calls, 0);
    QCOMPARE(s1.sendCommand(QString(), ClassCommandCode::Chat, QStringLiteral("学生一")), 0);
    s2.client.quit([](const sdk::HubReply &) {});
    QVERIFY(seat(s3));
    QTest::qWait(300);
    const int framesBefore = s1.frames(Source::Camera);
    links->down = false;

    QTRY_VERIFY_WITH_TIMEOUT(!session->isReconnecting(), kWaitMs);
    QCOMPARE(reconnecting.count(), 2);
    QTRY_COMPARE(chatParams(s1), (QStringList{QStringLiteral("老师一"), QStringLiteral("老师二")}));
    QTRY_COMPARE(first.code, 0);
    QTRY_COMPARE(second.code, 0);
    QCOMPARE(first.calls, 1);
    QTRY_COMPARE(received, QStringList{QStringLiteral("学生一")});
    QCOMPARE(left.count(), 1);
    QCOMPARE(left.at(0).at(0).toString(), QStringLiteral("s2"));
    QCOMPARE(entered.count(), 1);
    QCOMPARE(entered.at(0).at(0).toString(), QStringLiteral("s3"));
    QVERIFY(session->publishes(Source::Camera));
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          session->sendVideo(Source::Camera, greyPicture(), kPictureWidth, kPictureHeight);
          return s1.frames(Source::Camera) > framesBefore;
        }(),
        kWaitMs);
    // The class goes on, and nothing came twice meanwhile.
    QCOMPARE(s1.sendCommand(QString(), ClassCommandCode::Chat, QStringLiteral("学生二")), 0);
    QTRY_COMPARE(received, (QStringList{QStringLiteral("学生一"), QStringLiteral("学生二")}));
    QCOMPARE(chatParams(s1).size(), 2);
    QCOMPARE(teacherNotices, QList<QString>());
    QVERIFY(hub->isInRoom(kTeacher, kTeacherTestRoom));
  }

  // A link that stays away: once the tries are spent the class is lost, once; what waited is
  // answered as failed; the session is signed out and leaving answers at once.
  void aLinkThatStaysAwayLosesTheClass() {
    QSignalSpy lost(session.get(), &TeacherSession::lost);
    cutTheTeacher();
    if (QTest::currentTestFailed()) return;
    Answer waiting;
    session->sendText(QString(), QStringLiteral("没人听见"), waiting.fn());
    QTRY_COMPARE_WITH_TIMEOUT(lost.count(), 1, kWaitMs);
    QCOMPARE(waiting.calls, 1);
    QVERIFY(waiting.code != 0);
    QVERIFY(!session->isSignedIn());
    QVERIFY(!session->isInRoom());
    QVERIFY(!session->isReconnecting());
    links->down = false;
    QTest::qWait(300);
    QCOMPARE(lost.count(), 1);
    Answer leaving;
    session->leave(leaving.fn());
    QCOMPARE(leaving.code, 0);
  }

  // Leaving during a cut ends the tries: no late comeback, nothing lost reported.
  void leavingDuringACutStopsTheTries() {
    QSignalSpy lost(session.get(), &TeacherSession::lost);
    cutTheTeacher();
    if (QTest::currentTestFailed()) return;
    Answer leaving;
    session->leave(leaving.fn());
    QCOMPARE(leaving.code, 0);
    QVERIFY(!session->isReconnecting());
    const int opened = links->opened;
    links->down = false;
    QTest::qWait(500);
    QCOMPARE(links->opened.load(), opened);
    QCOMPARE(lost.count(), 0);
  }
};

QTEST_MAIN(TestTeacherReconnect)
#include "test_teacher_reconnect.moc"

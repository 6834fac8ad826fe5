// The session without its window, on an in-process hub with a loopback backend: the way in,
// waiting for the teacher, the live sign-in retries, the heartbeat and the upload signature.
// What a window would show is read from the session's signals.
#include "classfixture.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace classtest;

class TestClassSession : public QObject {
  Q_OBJECT

  std::unique_ptr<ClassWorld> world_;

  FakeBackend &backend() { return world_->backend; }
  ClassSession *session() { return world_->session; }
  bool closedAndReleased(const QSignalSpy &released) {
    return QTest::qWaitFor([&] { return session() && session()->isClosed() && released.count() == 1; },
                           5000);
  }

private slots:
  void init() { world_ = std::make_unique<ClassWorld>(); }
  void cleanup() { world_.reset(); }

  void refreshIntervalComesInSeconds() {
    backend().answer("live-service/enter", FakeBackend::ok({{"refresh_interval", 30}}));
    QVERIFY(world_->enterSession());
    QCOMPARE(session()->refreshInterval(), 30000);
    QCOMPARE(session()->refreshTimer()->interval(), 30000);
  }

  // In the room the speaker button opens, and the chat when it is allowed.
  void seatedSessionOpensItsControls() {
    QVERIFY(world_->enterSession());
    QVERIFY(world_->view.speakerEnabled);
    QVERIFY(!world_->view.micEnabled);
    QVERIFY(world_->view.chatControls);
    QVERIFY(session()->heartbeatTimer()->isActive());
    QVERIFY(!session()->notInRoom());
  }

  void onlyTheExactTextTrueEnters_data() {
    QTest::addColumn<QJsonValue>("result");
    QTest::newRow("True") << QJsonValue("True");
    QTest::newRow("1") << QJsonValue("1");
    QTest::newRow("number 1") << QJsonValue(1);
    QTest::newRow("true with a blank") << QJsonValue("true ");
  }

  void onlyTheExactTextTrueEnters() {
    QFETCH(QJsonValue, result);
    backend().answer("live-service/teacher_in_room",
                     {FakeBackend::ok({{"result", result}}), FakeBackend::ok({{"result", "true"}})});
    ClassSession *s = world_->openSession();
    QSignalSpy waiting(s, &ClassSession::waitingShown);
    QSignalSpy present(s, &ClassSession::teacherPresentShown);
    s->login();
    QTRY_VERIFY(s->teacherCheckTimer()->isActive());
    QCOMPARE(s->teacherCheckTimer()->interval(), 10000);
    QCOMPARE(waiting.count(), 1);
    QCOMPARE(present.count(), 0);
    QCOMPARE(s->classStatus(), ClassStatus::SignedIn);
    QVERIFY(s->readyToLeave());
    QVERIFY(s->notInRoom());
    QTest::qWait(100);
    QCOMPARE(backend().count("live-service/enter"), 0);

    s->checkTeacher(); // the timer's tick, without waiting ten seconds
    QVERIFY(world_->waitSessionStatus(ClassStatus::Listening));
    QVERIFY(!s->teacherCheckTimer()->isActive());
    QCOMPARE(present.count(), 1);
  }

  // Absent teacher: the student may leave at once, without any exit.
  void waitingStudentLeavesWithoutExit() {
    backend().answer("live-service/teacher_in_room", FakeBackend::ok({{"result", "false"}}));
    ClassSession *s = world_->openSession();
    QSignalSpy released(s, &ClassSession::releaseFinished);
    s->login();
    QTRY_VERIFY(s->teacherCheckTimer()->isActive());
    QVERIFY(s->closeRequested());
    QVERIFY(s->isClosed());
    QCOMPARE(released.count(), 1);
    QCOMPARE(backend().count("live-service/exit"), 0);
    QVERIFY(!s->teacherCheckTimer()->isActive());
    QVERIFY(s->isLeaving());
    QTRY_VERIFY(s->loggedOut());
  }

  void teacherAnswerWithoutResultStops() {
    backend().answer("live-service/teacher_in_room", FakeBackend::ok({{"other", 1}}));
    ClassSession *s = world_->openSession();
    QSignalSpy waiting(s, &ClassSession::waitingShown);
    s->login();
    QVERIFY(backend().waitFor("live-service/teacher_in_room", 1));
    QTest::qWait(300);
    QCOMPARE(backend().count("live-service/enter"), 0);
    QVERIFY(!s->teacherCheckTimer()->isActive());
    QCOMPARE(waiting.count(), 0);
    QCOMPARE(s->classStatus(), ClassStatus::SignedIn);
  }

  void fourFailedLiveSignInsShowFourTipsThenClose() {
    backend().answer("live-service/bgp_login",
                     FakeBackend::ok({{"userId", kStudentId}, {"userSig", "v1.1.forged"}}));
    ClassSession *s = world_->openSession();
    QSignalSpy released(s, &ClassSession::releaseFinished);
    QSignalSpy errors(s, &ClassSession::codeErrorShown);
    s->login();
    QVERIFY(closedAndReleased(released));
    QCOMPARE(errors.count(), 4);
    for (const QList<QVariant> &error : errors) {
      QCOMPARE(error.at(0).toInt(), 70001);
      QCOMPARE(error.at(2).toString(), QStringLiteral("进入直播间失败"));
    }
    QCOMPARE(s->loginRetries(), 3);
    QVERIFY(s->notInRoom());
    QCOMPARE(world_->shell.calls.count("leaveClass(false)"), 1);
    QCOMPARE(backend().count("live-service/teacher_in_room"), 0);
  }

  void heartbeatShowsTheScreenUntilTheTeacherChooses() {
    QVERIFY(world_->enterSession());
    ClassSession *s = session();
    QSignalSpy display(s, &ClassSession::displayChanged);
    s->heartbeatTick();
    QVERIFY(backend().waitFor("live-service/heartbeat", 1));
    const QMap<QString, QString> beat = backend().calls("live-service/heartbeat").at(0).params;
    QCOMPARE(beat.value("role"), QStringLiteral("0"));
    QCOMPARE(beat.value("up"), QStringLiteral("0"));
    QCOMPARE(beat.value("device"), QStringLiteral("PC2.0_510208_normal"));
    QCOMPARE(s->currentDisplay(), QStringLiteral("Screen"));
    QCOMPARE(display.last().at(0).toString(), QStringLiteral("Screen"));

    world_->teacherSays(ClassCommandCode::Display, QStringLiteral("WhiteBoard"), true);
    QTRY_VERIFY(s->displayCommandSeen());
    QCOMPARE(display.last().at(0).toString(), QStringLiteral("WhiteBoard"));
    s->heartbeatTick();
    QVERIFY(backend().waitFor("live-service/heartbeat", 2));
    QCOMPARE(s->currentDisplay(), QStringLiteral("WhiteBoard"));
  }

  void signatureRenewedTenMinutesBeforeItsEnd() {
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    backend().answer("chat-service/cos_multi_effect_signature2",
                     {FakeBackend::ok({{"signature", "s1"}, {"expired", now + 590}}),
                      FakeBackend::ok({{"signature", "s2"}, {"expired", now + 3600}})});
    QVERIFY(world_->enterSession());
    ClassSession *s = session();
    QTRY_COMPARE(s->uploadSignature(), QStringLiteral("s1"));
    // Ending within ten minutes: the next heartbeat asks for a new one.
    s->heartbeatTick();
    QTRY_COMPARE(s->uploadSignature(), QStringLiteral("s2"));
    QCOMPARE(s->signatureExpiry(), int(now + 3600));
    s->heartbeatTick();
    QVERIFY(backend().waitFor("live-service/heartbeat", 2));
    QTest::qWait(200);
    QCOMPARE(backend().count("chat-service/cos_multi_effect_signature2"), 2);
  }
};

QTEST_MAIN(TestClassSession)
#include "test_classsession.moc"

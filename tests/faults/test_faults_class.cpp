// Faults during a class, met by the student's real program (shell and classroom) against the
// real local service on loopback: the hub link drops, the backend stops answering, the service
// restarts. Each case ends with the student back at the portal.

#include "faultclass.h"
#include "shellstudent.h"

#include "boxdriver.h"

#include "classroom/mainform.h"
#include "messaging/classcommand.h"
#include "net/networkhelper.h"
#include "net/sxbserverhelper.h"
#include "pagescript.h"
#include "shell/browserwindow.h"
#include "shell/webview.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace faults;

namespace {

const QString kConnectionLost = QStringLiteral("与课堂的连接异常中断，请检查网络是否正常！");
constexpr int kShortLimitMs = 1500;

bool boxSays(const QString &text) {
  return QTest::qWaitFor(
      [&] {
        const QStringList boxes = BoxDriver::openInformation();
        return std::any_of(boxes.cbegin(), boxes.cend(),
                           [&](const QString &box) { return box.contains(text); });
      },
      10000);
}

} // namespace

class TestFaultsClass : public QObject, ShellClass {
  Q_OBJECT

  // Commands 4 ("a student left") the teacher has received for the student.
  int leftNotices() const {
    int n = 0;
    for (const hubproto::ImMessage &m : teacher.received)
      for (const hubproto::Element &e : m.elems) {
        ClassCommand c;
        if (e.kind == hubproto::Element::Custom && ClassCommand::parse(e.data, &c) &&
            c.userAction == int(ClassCommandCode::MemberLeft))
          ++n;
      }
    return n;
  }

private slots:
  void initTestCase() {
    const QString error = start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
  }

  void cleanup() {
    BoxDriver::closeInformation();
    SxbServerHelper::setTimeLimitMs(SxbServerHelper::kDefaultTimeLimitMs);
    world.http().setFrozen(false);
    QVERIFY(student->leave());
    QVERIFY(student->backAtPortal());
    BoxDriver::closeInformation();
  }

  void cleanupTestCase() {
    stop();
  }

  // The connection-lost path: one tip, the classroom goes without an exit, the portal comes
  // back, and the next entry seats the student again.
  void hubLinkDropsMidClass() {
    QVERIFY(student->enter());
    MainForm *w = student->classroom();
    QSignalSpy released(w, &MainForm::releaseFinished);
    world.hub().cutAll();
    QVERIFY(boxSays(kConnectionLost));
    QVERIFY(student->backAtPortal());
    QTRY_COMPARE(released.count(), 1);
    QVERIFY(w->isClosed());
    QCOMPARE(BoxDriver::openInformation().size(), 1);
    BoxDriver::closeInformation();

    QVERIFY(student->enter());
    QVERIFY(student->classroom() != w);
    QVERIFY(student->classroom()->heartbeatTimer()->isActive());
  }

  // Heartbeats into a backend that accepts connections and never answers: each call ends at
  // its time limit and takes its objects with it; leaving still gets out.
  void backendStopsAnswering() {
    QVERIFY(student->enter());
    MainForm *w = student->classroom();
    QTest::qWait(500); // the entry's own calls are over
    const int helpers = NetworkHelper::liveCount();
    const int calls = SxbServerHelper::liveCount();
    SxbServerHelper::setTimeLimitMs(kShortLimitMs);
    world.http().setFrozen(true);
    for (int i = 0; i < 8; ++i) {
      w->onHeartBeatTimer();
      w->onRefreshUserTimer();
      QTest::qWait(250);
    }
    QVERIFY(NetworkHelper::liveCount() > helpers); // they really hang
    QTRY_COMPARE_WITH_TIMEOUT(NetworkHelper::liveCount(), helpers, kShortLimitMs + 3000);
    QCOMPARE(SxbServerHelper::liveCount(), calls);
    QVERIFY(w->heartbeatTimer()->isActive());
    QVERIFY(BoxDriver::openInformation().isEmpty()); // heartbeat errors show nothing

    const int leftBefore = leftNotices();
    QSignalSpy released(w, &MainForm::releaseFinished);
    student->shell()->leaveClass(false);
    QVERIFY(student->backAtPortal());
    QVERIFY(boxSays(SxbServerHelper::timeoutText())); // the exit's own time limit
    QTRY_COMPARE_WITH_TIMEOUT(released.count(), 1, kShortLimitMs + 10000);
    QVERIFY(w->isClosed());
    QTRY_COMPARE(leftNotices(), leftBefore + 1); // the class heard the student leave
    QTRY_COMPARE(NetworkHelper::liveCount(), helpers);
  }

  // A restarted service knows nobody: the class is lost, and signing in again (through the
  // same addresses) brings the portal and the next class back.
  void serviceRestarts() {
    QVERIFY(student->enter());
    teacher.close();
    QVERIFY(world.restart());
    QVERIFY(boxSays(kConnectionLost));
    QVERIFY(student->backAtPortal());
    BoxDriver::closeInformation();

    const SignedIn again = world.signIn();
    QCOMPARE(again.code, 0);
    QVERIFY(!again.token.isEmpty());
    student->signIn(again);
    QTRY_VERIFY_WITH_TIMEOUT(student->shell()->browserView()->url().toString().contains(again.token), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(js(student->shell()->browserView(), QStringLiteral("document.readyState")).toString(),
                              QStringLiteral("complete"), 15000);
    QVERIFY(!js(student->shell()->browserView(), QStringLiteral("document.title")).toString().contains(QStringLiteral("失效")));
    QVERIFY(teacher.enterAsTeacher(world.directUrl(), world.directHubUrl()));
    QVERIFY(student->enter());
  }
};

int main(int argc, char **argv) { return shellTestMain<TestFaultsClass>(argc, argv); }

#include "test_faults_class.moc"

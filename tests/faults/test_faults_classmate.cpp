// A hostile classmate against a class of the real local service: a student's own hub link that
// gives the teacher's commands, floods the room, writes on the board, sends pictures and
// chat under the teacher's and the system's names. The student in the real program stays
// seated, keeps the discussion open, shows the classmate under the classmate's roster name,
// keeps getting the teacher's chat, and sees no box; the teacher stays connected.

#include "faultclass.h"
#include "shellstudent.h"

#include "boxdriver.h"
#include "pagescript.h"

#include "classroom/classchat.h"
#include "classroom/mainform.h"
#include "classroom/memberroster.h"
#include "protocol/protocol.h"
#include "shell/webview.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <memory>

using namespace faults;

namespace {

const QString kClassmatePhone = QStringLiteral("13800000002");
const QString kClassmatePassword = QStringLiteral("tarnwick02");
const QString kWhiteBoardExt = QStringLiteral("TXWhiteBoardExt");
constexpr int kFloodMessages = 100;
constexpr int kFloodBytes = 1000 * 1000;


} // namespace

class TestFaultsClassmate : public QObject, ShellClass {
  Q_OBJECT
  WebView *page = nullptr;
  HubLink classmate;

  QString lastRow(const char *part) const {
    return js(page, QStringLiteral("document.querySelector('#messages > li:last-child .%1').textContent")
                        .arg(QLatin1String(part)))
        .toString();
  }
  // The teacher's chat line reaches the page and is its newest row.
  bool teacherReaches(const QString &text) {
    if (teacher.command(ClassCommandCode::Chat, chatPageMessage(QStringLiteral("周老师"), text)) != 0)
      return false;
    return QTest::qWaitFor([&] { return lastRow("body") == text; }, 15000);
  }
  // The class as the student and the teacher had it.
  void classKept(const char *after) {
    QVERIFY2(teacherReaches(QStringLiteral("%1之后").arg(QString::fromUtf8(after))), after);
    QCOMPARE(student->classroom()->status(), 2);
    QVERIFY(student->classroom()->chat()->chatAllowed());
    QVERIFY(teacher.client->isOpen());
    QVERIFY(BoxDriver::openInformation().isEmpty());
  }

private slots:
  void initTestCase() {
    const QString error = start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(classmate.enterAsStudent(world.service(), kClassmatePhone, kClassmatePassword, world.directHubUrl()));
    QVERIFY(student->enter());
    page = student->classroom()->findChild<WebView *>();
    QVERIFY(page);
    QVERIFY(QTest::qWaitFor([&] { return teacherReaches(QStringLiteral("上课了")); }, 30000));
  }

  void cleanupTestCase() {
    classmate.close();
    QVERIFY(student->leave());
    QVERIFY(student->backAtPortal());
    stop();
  }

  // Every code the teacher gives, to the room and to the student alone: refused by the hub.
  void theTeachersCommandsAreRefused() {
    const QString me = student->classroom()->getUserId();
    const QString reward = QStringLiteral("{\"type\":\"101\",\"amount\":1,\"receiver\":\"%1\",\"message\":\"假的\"}").arg(me);
    for (ClassCommandCode code : kTeacherCommands) {
      const QString param = code == ClassCommandCode::Reward || code == ClassCommandCode::RewardAlt ? reward
                            : code == ClassCommandCode::TakeOffStage                           ? me
                                                                                               : QStringLiteral("1");
      QCOMPARE(classmate.command(code, param), int(hubproto::TeacherOnly));
      QCOMPARE(classmate.command(code, param, me), int(hubproto::TeacherOnly));
    }
    classKept("命令");
  }

  // Chat under the teacher's name or the system's, and a picture: shown under the classmate's
  // own roster name.
  void fakeNamesShowTheRostersName() {
    const QString rosterName =
        student->classroom()->roster()->memberText(classmate.userId, MemberRoster::ColName);
    for (const QString &fake : {QStringLiteral("周老师"), QStringLiteral("系统消息")}) {
      QCOMPARE(classmate.command(ClassCommandCode::Chat, chatPageMessage(fake, QStringLiteral("下课了"))), 0);
      QVERIFY(QTest::qWaitFor([&] { return lastRow("body") == QStringLiteral("下课了"); }, 15000));
      QCOMPARE(lastRow("name"), rosterName);
      QVERIFY(lastRow("name") != fake);
      QCOMPARE(student->classroom()->chat()->shownLines().last(), rosterName + QStringLiteral(":下课了"));
      QVERIFY(teacherReaches(QStringLiteral("名字之后") + fake));
    }
    QCOMPARE(classmate.command(ClassCommandCode::Chat,
                               QStringLiteral("{\"name\":\"周老师\",\"type\":\"image\",\"url\":\"file:///etc/passwd\"}")),
             0);
    const QString pictureLine = rosterName + QStringLiteral(":[图片]");
    QVERIFY(QTest::qWaitFor([&] { return student->classroom()->chat()->shownLines().last() == pictureLine; }, 15000));
    classKept("图片");
  }

  // The board is the teacher's: the classmate's strokes, clears and pictures are refused.
  void boardWritesAreRefused() {
    const QList<QByteArray> writes = {
        "{\"seq\":1,\"timestamp\":1,\"value\":{\"action\":\"clear\"}}\n",
        "{\"seq\":2,\"timestamp\":1,\"value\":{\"background\":\"file:///etc/passwd\"}}\n"};
    for (const QByteArray &data : writes)
      QCOMPARE(classmate.sendGroup({customElement(data, kWhiteBoardExt)}, &kWhiteBoardExt), int(hubproto::TeacherOnly));
    classKept("画板");
  }

  // A hundred messages of a megabyte, as fast as the link takes them: the hub refuses most at
  // the classmate, and the teacher and the student are not dropped for it.
  void aFloodDropsNobodyElse() {
    // Answers may come after this test (a refusal too big to read its id from has none).
    struct Answers {
      int accepted = 0;
      int seen = 0;
    };
    auto answers = std::make_shared<Answers>();
    hubproto::Conversation room;
    room.peer = QString::number(kRoom);
    const QVector<hubproto::Element> big{customElement(QByteArray(kFloodBytes, 'x'), QStringLiteral("x"))};
    for (int i = 0; i < kFloodMessages; ++i)
      classmate.client->sendMessage(room, big, nullptr, [answers](const sdk::HubReply &r) {
        ++answers->seen;
        answers->accepted += r.code == 0 ? 1 : 0;
      });
    classKept("刷屏");
    // A slow build may still be sending when the class has shown it is kept: count the
    // answers once they stop coming (two quiet seconds, at most half a minute).
    for (int round = 0; round < 15 && answers->seen < kFloodMessages; ++round) {
      const int before = answers->seen;
      QTest::qWait(2000);
      if (answers->seen == before && before > 0)
        break;
    }
    QVERIFY2(answers->accepted > 0 && answers->accepted < kFloodMessages / 4,
             qPrintable(QStringLiteral("%1 of %2 passed, %3 answered")
                            .arg(answers->accepted)
                            .arg(kFloodMessages)
                            .arg(answers->seen)));
  }
};

int main(int argc, char **argv) { return shellTestMain<TestFaultsClassmate>(argc, argv); }

#include "test_faults_classmate.moc"

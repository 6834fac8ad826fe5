// A class name changed in class, through the whole program in one process: the real sign-in
// page and portal in the browser engine, the real classroom window the shell opens from the
// portal's "进入教室", tarnwick-local, and a teacher in the room. The editor refuses a bad
// name with its tip and stays; a good name reaches the title bar, the classroom, the next
// picture the student sends, and the roster rows the service gives the teacher.

#include "boxdriver.h"
#include "pagescript.h"
#include "scratchenv.h"

#include "classroom/classroomfactory.h"
#include "classroom/mainform.h"
#include "classroom/memberroster.h"
#include "classroom_widgets/qtnameeditor.h"
#include "classroom_widgets/qtnameeditorview.h"
#include "core/browsersettings.h"
#include "core/deployment.h"
#include "protocol/classcommandcode.h"
#include "sdk/live/ilive.h"
#include "sdk/net/hubtransport.h"
#include "shell/browserwindow.h"
#include "shell/classroomlink.h"
#include "shell/qtlogin.h"
#include "shell/titlebar.h"
#include "shell/webview.h"
#include "support/localservice.h"
#include "support/testpicture.h"
#include "teacher/servicesignin.h"
#include "teacher/teachersession.h"

#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <memory>

namespace {

const QString kPhone = QStringLiteral("13800000001");
const QString kPassword = QStringLiteral("tarnwick01");
const QString kStudentId = QStringLiteral("s10001");
const QString kTeacherPhone = QStringLiteral("13900000001");
const QString kTeacherPassword = QStringLiteral("teacher01");
const quint32 kRoom = 300101;
const QString kNewName = QStringLiteral("林小雨_二班");

// Optional pictures for a person to look at (TARNWICK_SHOTS=<folder>).
void shoot(const QString &name) {
  const QString dir = qEnvironmentVariable("TARNWICK_SHOTS");
  if (dir.isEmpty()) return;
  QTest::qWait(600);
  QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

QtNameEditor *openEditor() {
  for (QWidget *w : QApplication::topLevelWidgets())
    if (auto *editor = qobject_cast<QtNameEditor *>(w))
      if (editor->isVisible()) return editor;
  return nullptr;
}

QString nameIn(const QJsonArray &rows, const QString &uid) {
  for (const QJsonValue &v : rows)
    if (v.toObject().value(QStringLiteral("uid")).toString() == uid)
      return v.toObject().value(QStringLiteral("name")).toString();
  return QString();
}

} // namespace

class TestRenameInClass : public QObject {
  Q_OBJECT
  std::unique_ptr<LocalService> service;
  std::unique_ptr<TeacherSession> teacher;
  QList<ReceivedCommand> received;
  QPointer<BrowserWindow> shell;

  void teacherEntersFirst() {
    ServiceSignIn signIn;
    QSignalSpy signedIn(&signIn, &ServiceSignIn::finished);
    signIn.start(service->baseUrl(), kTeacherPhone, kTeacherPassword, kRoom);
    QVERIFY(signedIn.wait(10000));
    QVERIFY2(signedIn.at(0).at(1).toString().isEmpty(), qPrintable(signedIn.at(0).at(1).toString()));
    const auto credentials = signedIn.at(0).at(0).value<TeacherCredentials>();
    const QString hubUrl = service->hubUrl();
    teacher = std::make_unique<TeacherSession>([hubUrl] { return sdk::createHubTransport(hubUrl); });
    connect(teacher.get(), &TeacherSession::commandReceived, this,
            [this](const ReceivedCommand &c) { received.append(c); });
    int step = -1;
    teacher->signIn(credentials.userId, credentials.userSig, [&](int code, const QString &) { step = code; });
    QTRY_COMPARE(step, 0);
    step = -1;
    teacher->enter(kRoom, credentials.authBuffer, [&](int code, const QString &, const QStringList &) { step = code; });
    QTRY_COMPARE(step, 0);
  }

  void signInThroughThePage() {
    auto *login = new QtLogin;
    login->show();
    shell = BrowserWindow::instance();
    QVERIFY(shell);
    QTRY_VERIFY_WITH_TIMEOUT(login->webContainer()->isVisible(), 20000);
    js(login->webView(), QStringLiteral("document.getElementById('phone').value = '%1';"
                                        "document.getElementById('password').value = '%2';"
                                        "document.getElementById('submit').click()")
                             .arg(kPhone, kPassword));
    QTRY_VERIFY_WITH_TIMEOUT(shell->isVisible(), 20000);
  }

  // The course tab's live lesson hands its enter-class command to the shell.
  MainForm *enterFromTheCourseTab() {
    auto *course = shell->titleBar()->findChild<QPushButton *>(QStringLiteral("btnCourse"));
    if (!course) return nullptr;
    course->click();
    const QString button = QStringLiteral("document.querySelector('button[data-act=enterRoom]')");
    if (!QTest::qWaitFor([&] { return js(shell->browserView(), button + QStringLiteral(" !== null")).toBool(); }, 20000))
      return nullptr;
    js(shell->browserView(), button + QStringLiteral(".click()"));
    if (!QTest::qWaitFor([&] { return shell->classroom() != nullptr; }, 10000)) return nullptr;
    return qobject_cast<MainForm *>(shell->classroom());
  }

  QJsonObject lastPictureMessage() const {
    for (int i = received.size() - 1; i >= 0; --i) {
      const ReceivedCommand &c = received.at(i);
      if (c.code == int(ClassCommandCode::Chat) && !c.direct) return QJsonDocument::fromJson(c.param.toUtf8()).object();
    }
    return QJsonObject();
  }

  QJsonArray rosterAsTheTeacherGetsIt() const {
    const QString token = service->signIn(kTeacherPhone, kTeacherPassword);
    return service
        ->call(QStringLiteral("live-service"), QStringLiteral("room_user"),
               {{QStringLiteral("token"), token}, {QStringLiteral("roomId"), QString::number(kRoom)},
                {QStringLiteral("is_addition"), QStringLiteral("0")}})
        .data()
        .value(QStringLiteral("idlist"))
        .toArray();
  }

private slots:
  void initTestCase() {
    service = std::make_unique<LocalService>();
    QVERIFY2(service->start(), qPrintable(service->errorString()));
    Deployment d = Deployment::instance();
    d.portalUrl = service->baseUrl();
    d.backendUrl = service->baseUrl();
    d.hubUrl = service->hubUrl();
    d.storageUrl = service->baseUrl() + QStringLiteral("/storage");
    d.staticUrl = service->baseUrl() + QStringLiteral("/static");
    Deployment::setInstance(d);
    ClassroomLink::setFactory(&createClassroom);
  }

  void nameChangedInClassReachesTitleBarClassroomAndTeacher() {
    teacherEntersFirst();
    signInThroughThePage();
    MainForm *room = enterFromTheCourseTab();
    QVERIFY(room);
    QTRY_VERIFY_WITH_TIMEOUT(room->status() >= 2, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!room->uploadSignature().isEmpty(), 5000);
    auto *myName = shell->titleBar()->findChild<QPushButton *>(QStringLiteral("btnMyName"));
    QVERIFY(myName && myName->isVisible());
    QCOMPARE(myName->text(), QStringLiteral("林小雨"));

    // A refused name: the tip says why and the editor stays with what was typed.
    myName->click();
    QTRY_VERIFY(openEditor() != nullptr);
    QtNameEditor *editor = openEditor();
    auto *field = editor->findChild<QLineEdit *>(QStringLiteral("txtName"));
    auto *ok = editor->findChild<QPushButton *>(QStringLiteral("btnOK"));
    QVERIFY(field && ok);
    QCOMPARE(field->text(), QStringLiteral("林小雨"));
    field->setText(QStringLiteral("2班林小雨"));
    shoot(QStringLiteral("name-editor"));
    ok->click();
    QTRY_VERIFY(BoxDriver::openInformation().contains(QStringLiteral("错误|姓名不能以数字开头！")));
    shoot(QStringLiteral("name-editor-refused"));
    BoxDriver::closeInformation();
    QVERIFY(editor->isVisible());
    QCOMPARE(myName->text(), QStringLiteral("林小雨"));

    // An accepted name: the editor closes, the title bar and the classroom take it.
    field->setText(kNewName);
    ok->click();
    QTRY_VERIFY_WITH_TIMEOUT(!editor->isVisible(), 10000);
    QCOMPARE(myName->text(), kNewName);
    QCOMPARE(room->getUserName(), kNewName);
    QVERIFY(BoxDriver::openInformation().isEmpty());
    shoot(QStringLiteral("name-in-title-bar"));

    // The next picture the student sends carries the new name to the teacher.
    QVERIFY(QMetaObject::invokeMethod(room, "uploadPicture", Q_ARG(QByteArray, testpicture::png(QSize(32, 24), QColor(40, 120, 200)))));
    QTRY_VERIFY_WITH_TIMEOUT(!lastPictureMessage().isEmpty(), 10000);
    QCOMPARE(lastPictureMessage().value(QStringLiteral("name")).toString(), kNewName);

    // The roster rows the service gives class members: the teacher's, and the student's own
    // after its next refresh.
    QCOMPARE(nameIn(rosterAsTheTeacherGetsIt(), kStudentId), kNewName);
    room->onRefreshUserTimer();
    QTRY_COMPARE_WITH_TIMEOUT(room->roster()->memberText(kStudentId, MemberRoster::ColName), kNewName, 5000);

    // The portal shows it once the class is over.
    BoxDriver yes(true);
    QCOMPARE(shell->leaveClass(true), 0);
    QTRY_VERIFY_WITH_TIMEOUT(shell->classroom() == nullptr, 20000);
    const QString who = QStringLiteral("document.getElementById('navWho') && document.getElementById('navWho').textContent");
    shell->browserView()->reload();
    QTRY_VERIFY_WITH_TIMEOUT(js(shell->browserView(), who).toString().startsWith(kNewName), 20000);
  }

  void cleanupTestCase() {
    if (shell) shell->deleteLater();
    teacher.reset();
    GetILive()->release(nullptr, nullptr, nullptr);
    QVERIFY(service->stop());
  }
};

int main(int argc, char **argv) {
  scratchenv::prepare();
  prepareBrowserEnvironment(); // as start-up does
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  TestRenameInClass t;
  return QTest::qExec(&t, argc, argv);
}

#include "test_rename_in_class.moc"

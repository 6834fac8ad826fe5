#include "shellstudent.h"

#include "scratchenv.h"

#include "classroom/classroomfactory.h"
#include "core/browsersettings.h"
#include "classroom/mainform.h"
#include "shell/browserwindow.h"
#include "shell/classroomlink.h"
#include "shell/titlebar.h"
#include "shell/webview.h"

#include <QTest>

namespace faults {

namespace {
constexpr int kSeatedMs = 20000;
// The shell refuses a class entered within two whole seconds of leaving one.
constexpr int kRecentLeaveMs = 2100;
} // namespace

ShellStudent::ShellStudent() {
  ClassroomLink::setFactory(&createClassroom);
  m_shell = new BrowserWindow;
  BrowserWindow::setInstance(m_shell);
}

ShellStudent::~ShellStudent() { delete m_shell.data(); }

void ShellStudent::signIn(const SignedIn &signedIn, const QString &phone) {
  m_token = signedIn.token;
  m_shell->applySignIn(phone, signedIn.token, signedIn.configJson, signedIn.avatar);
  m_shell->show();
}

bool ShellStudent::enter(quint32 roomId) {
  QTest::qWait(kRecentLeaveMs);
  m_shell->enterClass({{QStringLiteral("roomId"), roomId},
                       {QStringLiteral("token"), m_token},
                       {QStringLiteral("masterId"), kTeacherId}});
  return QTest::qWaitFor([this] { return classroom() && classroom()->status() == 2; }, kSeatedMs);
}

bool ShellStudent::leave() {
  QPointer<MainForm> w = classroom();
  if (!w) return true;
  m_shell->leaveClass(false);
  return QTest::qWaitFor([&w] { return !w || w->isClosed(); }, kSeatedMs);
}

bool ShellStudent::backAtPortal(int timeoutMs) const {
  return QTest::qWaitFor(
      [this] {
        return !m_shell->classroom() && m_shell->browserView() &&
               m_shell->browserView()->isVisible() &&
               m_shell->titleBar()->mode() == TitleBar::PortalMode;
      },
      timeoutMs);
}

QString ShellClass::start(bool withTeacherLink) {
  if (!world.start()) return world.service().errorString();
  if (withTeacherLink && !teacher.enterAsTeacher(world.directUrl(), world.directHubUrl()))
    return QStringLiteral("the teacher did not get into the room");
  student = std::make_unique<ShellStudent>();
  const SignedIn signedIn = world.signIn();
  if (signedIn.code != 0) return QStringLiteral("sign-in answered %1").arg(signedIn.code);
  student->signIn(signedIn);
  return QString();
}

void ShellClass::stop() {
  student.reset();
  teacher.close();
}

void prepareShellProcess() {
  scratchenv::prepare();
  prepareBrowserEnvironment();
}

MainForm *ShellStudent::classroom() const { return qobject_cast<MainForm *>(m_shell->classroom()); }

} // namespace faults

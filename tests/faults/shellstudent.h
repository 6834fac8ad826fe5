#pragma once
// The student's program as it runs: the real shell window with the real classroom behind its
// seam, signed in as the sign-in page would sign it in, entering classes as the portal asks.

#include "faultclass.h"
#include "shell/browserwindow.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <memory>


class MainForm;

namespace faults {

class ShellStudent {
public:
  ShellStudent();
  ~ShellStudent();

  // Hands the sign-in to the shell as the sign-in page does, and shows the portal.
  void signIn(const SignedIn &signedIn, const QString &phone = kStudentPhone);
  // Enters the class as the portal's enter-class command does; true once seated (status 2).
  bool enter(quint32 roomId = kRoom);
  // Leaves the class as the shell does when told to (no question); true once the classroom
  // has released its session.
  bool leave();
  // True once the classroom is gone and the portal is back in the shell.
  bool backAtPortal(int timeoutMs = 15000) const;

  MainForm *classroom() const;
  BrowserWindow *shell() const { return m_shell; }

private:
  QPointer<BrowserWindow> m_shell;
  QString m_token;
};

// A class as the shell tests hold it: the service behind its relays, the teacher in the room,
// the student signed in at the portal.
struct ShellClass {
  FaultService world;
  HubLink teacher;
  std::unique_ptr<ShellStudent> student;

  // Empty when all is ready, else what failed. Without the teacher's link, the test seats a
  // teacher of its own.
  QString start(bool withTeacherLink = true);
  void stop();
};

// Private per-user folders and the browser engine's settings, as start-up prepares them.
void prepareShellProcess();

template <class Test> int shellTestMain(int argc, char **argv) {
  prepareShellProcess();
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  Test test;
  return QTest::qExec(&test, argc, argv);
}

} // namespace faults

#include "classroom/classroomfactory.h"
#include "core/startup.h"
#include "shell/classroomlink.h"
#include "shell/qtlogin.h"

// The shell sits above the classroom and creates it through its seam; the first window is
// the login window, which creates the hidden shell.
int main(int argc, char **argv) {
  ClassroomLink::setFactory(&createClassroom);
  return runApplication(argc, argv, [] { return new QtLogin; });
}

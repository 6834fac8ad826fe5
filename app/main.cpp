#include "classroom/classroomfactory.h"
#include "core/startup.h"
#include "shell/classroomlink.h"
#include "shell/qtlogin.h"
#include "widgets/housefont.h"

// The shell sits above the classroom and creates it through its seam; the first window is
// the login window, which creates the hidden shell.
int main(int argc, char **argv) {
  ClassroomLink::setFactory(&createClassroom);
  return runApplication(argc, argv, [] {
    // Style sheets name the house font; map it before any widget resolves a font.
    housefont::install();
    return new QtLogin;
  });
}

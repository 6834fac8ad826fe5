#include "classroom/classroomfactory.h"

#include "classroom/mainform.h"

Classroom *createClassroom(const QString &lineType, QWidget *parent, ClassroomShell *shell) {
  return new MainForm(lineType, parent, shell);
}

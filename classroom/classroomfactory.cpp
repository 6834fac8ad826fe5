#include "classroom/classroomfactory.h"

#include "classroom/mainform.h"

QWidget *createClassroom(const QString &lineType, QWidget *parent) {
  return new MainForm(lineType, parent);
}

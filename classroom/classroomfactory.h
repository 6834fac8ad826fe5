#pragma once
// Makes the classroom window for the shell: register it with the shell's classroom seam,
//   ClassroomLink::setFactory(&createClassroom);

#include "classroom/classroomseam.h"

Classroom *createClassroom(const QString &lineType, QWidget *parent, ClassroomShell *shell);

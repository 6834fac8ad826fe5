#pragma once
// Makes the classroom window for the shell: register it with the shell's classroom seam,
//   ClassroomLink::setFactory(&createClassroom);

#include <QString>

class QWidget;

QWidget *createClassroom(const QString &lineType, QWidget *parent);

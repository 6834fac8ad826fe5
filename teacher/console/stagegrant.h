#pragma once
// The hub's side of calling a student on stage: the teacher grants the stage before the
// class command goes out, and revokes it when the student is taken down. Kept in one place
// so the class logic does not care how the hub is told.

#include "teacher/teachersession.h"

namespace stagegrant {
void grant(TeacherSession &session, const QString &userId, TeacherSession::Done done);
void revoke(TeacherSession &session, const QString &userId, TeacherSession::Done done);
} // namespace stagegrant

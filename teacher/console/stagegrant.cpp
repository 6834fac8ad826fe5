#include "teacher/console/stagegrant.h"

namespace stagegrant {

// This hub admits any member who asks to go on stage, so there is nothing to tell it yet.
void grant(TeacherSession &, const QString &, TeacherSession::Done done) { done(0, QString()); }

void revoke(TeacherSession &, const QString &, TeacherSession::Done done) { done(0, QString()); }

} // namespace stagegrant

#include "teacher/console/stagegrant.h"

namespace stagegrant {

void grant(TeacherSession &session, const QString &userId, TeacherSession::Done done) {
  session.grantStage(userId, std::move(done));
}

void revoke(TeacherSession &session, const QString &userId, TeacherSession::Done done) {
  session.revokeStage(userId, std::move(done));
}

} // namespace stagegrant

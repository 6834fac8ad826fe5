// Who may do what in a room: the service's room grant decides whether a user enters and the
// highest role it may take by itself; going on stage beyond that needs the room's teacher.
#include "service/hub/hub.h"

#include "service/hub/participant.h"
#include "protocol/protocol.h"
#include "protocol/roomgrant.h"

#include <QDateTime>

using namespace hubproto;

namespace {

int rank(const QString &role) {
  if (role == QLatin1String(kRoleLiveMaster))
    return 2;
  return role == QLatin1String(kRoleLiveGuest) ? 1 : 0;
}

QString refusalText(roomgrant::Check check) {
  switch (check) {
  case roomgrant::Check::Missing: return QStringLiteral("join needs the room grant (authBuffer) of the class sign-in");
  case roomgrant::Check::Forged: return QStringLiteral("the room grant is not one the service signed");
  case roomgrant::Check::Expired: return QStringLiteral("the room grant has expired");
  case roomgrant::Check::OtherRoom: return QStringLiteral("the room grant is for another room");
  case roomgrant::Check::OtherUser: return QStringLiteral("the room grant is for another user");
  case roomgrant::Check::Ok: break;
  }
  return QString();
}

} // namespace

bool Hub::admit(Participant &p, const Envelope &env, quint32 roomId, const QString &authBuffer,
                const QString &role, QString *grantRole, bool stageHeld) {
  roomgrant::Grant grant;
  const roomgrant::Check check =
      roomgrant::verify(m_secret, authBuffer, p.userId, roomId, nowMs() / 1000, &grant);
  if (check != roomgrant::Check::Ok) {
    reply(p, env.id, roomgrant::resultCode(check), refusalText(check));
    return false;
  }
  // Nobody enters on stage: the teacher's stage grant only lasts while the student is in, or
  // holds the seat it comes back to.
  if (rank(role) > rank(grant.role) && !(stageHeld && role == QLatin1String(kRoleLiveGuest))) {
    reply(p, env.id, role == QLatin1String(kRoleLiveMaster) ? RoleNotGranted : StageNotGranted,
          QStringLiteral("the room grant does not allow %1").arg(role));
    return false;
  }
  *grantRole = grant.role;
  return true;
}

int Hub::roleRefusal(const Participant &p, const QString &role) {
  if (rank(role) <= rank(p.grantRole) || (role == QLatin1String(kRoleLiveGuest) && p.stageGranted))
    return Ok;
  return role == QLatin1String(kRoleLiveMaster) ? RoleNotGranted : StageNotGranted;
}

Participant *Hub::stageTarget(Participant &teacher, const Envelope &env) {
  QString userId;
  if (!readString(env.body, "userId", &userId)) {
    reply(teacher, env.id, BadArgument, QStringLiteral("%1 needs a userId").arg(env.type));
    return nullptr;
  }
  if (!teacher.inRoom()) {
    reply(teacher, env.id, NotInRoom, QStringLiteral("not in a room"));
    return nullptr;
  }
  if (!teacher.isTeacher()) {
    reply(teacher, env.id, TeacherOnly, QStringLiteral("only the room's teacher grants the stage"));
    return nullptr;
  }
  Participant *target = find(m_byUser.value(userId));
  if (!target || target->roomId != teacher.roomId) {
    reply(teacher, env.id, NotInRoom, QStringLiteral("%1 is not in this room").arg(userId.left(128)));
    return nullptr;
  }
  if (target->isTeacher()) {
    reply(teacher, env.id, NotAllowed, QStringLiteral("the teacher's stage is not granted"));
    return nullptr;
  }
  return target;
}

void Hub::onGrant(Participant &p, const Envelope &env) {
  Participant *target = stageTarget(p, env);
  if (!target)
    return;
  if (target->stageGranted) {
    reply(p, env.id, Already, QStringLiteral("already granted"));
    return;
  }
  target->stageGranted = true;
  m_presence.setStage(target->userId, target->roomId, true);
  notifyStage(*target);
  reply(p, env.id);
}

void Hub::onRevoke(Participant &p, const Envelope &env) {
  Participant *target = stageTarget(p, env);
  if (!target)
    return;
  // Also for a student that was never granted: whatever it publishes beyond its grant ends.
  target->stageGranted = false;
  m_presence.setStage(target->userId, target->roomId, false);
  if (roleRefusal(*target, target->role) != Ok) {
    endPublications(*target);
    target->role = QLatin1String(kRoleGuest);
    notifyMember(*target, QStringLiteral("role"));
  }
  notifyStage(*target);
  reply(p, env.id);
}

// The student learns it itself; the others see the role change and the streams end.
void Hub::notifyStage(Participant &p) {
  QJsonObject notice = makeNotice(QStringLiteral("stage"));
  notice.insert(QStringLiteral("roomId"), static_cast<qint64>(p.roomId));
  notice.insert(QStringLiteral("granted"), p.stageGranted);
  notice.insert(QStringLiteral("role"), p.role);
  send(p, notice);
}

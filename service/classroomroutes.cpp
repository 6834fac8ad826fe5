#include "service/classroomroutes.h"

#include "service/accountstore.h"
#include "service/boardarchiver.h"
#include "service/credentialissuer.h"
#include "service/imtokenissuer.h"
#include "service/janusrooms.h"
#include "service/roomstore.h"
#include "service/serviceconfig.h"
#include "service/tokenguard.h"
#include "service/xmppadmin.h"
#include "protocol/protocol.h"

#include <QDebug>
#include <QJsonArray>

namespace {
const QString kRoomId = QStringLiteral("roomId");
const QString kRole = QStringLiteral("role");
const QString kDevice = QStringLiteral("device");

bool isFlag(const QString &v) { return v == QLatin1String("0") || v == QLatin1String("1"); }
} // namespace

void ClassroomRoutes::registerRoutes(ApiRouter &router) {
  const QString s = QStringLiteral("live-service");
  router.add(s, QStringLiteral("bgp_login"), [this](const FormParams &p) { return bgpLogin(p); });
  router.add(s, QStringLiteral("teacher_in_room"), [this](const FormParams &p) { return teacherInRoom(p); });
  router.add(s, QStringLiteral("enter"), [this](const FormParams &p) { return enter(p); });
  router.add(s, QStringLiteral("heartbeat"), [this](const FormParams &p) { return heartbeat(p); });
  router.add(s, QStringLiteral("exit"), [this](const FormParams &p) { return exit(p); });
  router.add(s, QStringLiteral("room_user"), [this](const FormParams &p) { return roomUser(p); });
  router.add(s, QStringLiteral("one_room_user"), [this](const FormParams &p) { return oneRoomUser(p); });
}

std::optional<ApiReply> ClassroomRoutes::caller(const FormParams &p, Account *who, ClassRoom *room) const {
  if (auto refused = TokenGuard::check(m_accounts, p, who)) return refused;
  if (p.value(kRoomId).isEmpty()) return ApiReply::missing(kRoomId);
  quint32 roomId = 0;
  if (!p.toUInt(kRoomId, &roomId)) return ApiReply::badParameter(kRoomId);
  const std::optional<ClassRoom> found = m_rooms.room(roomId);
  if (!found) return ApiReply::error(ApiError::UnknownRoom);
  *room = *found;
  return std::nullopt;
}

std::optional<ApiReply> ClassroomRoutes::checkRole(const FormParams &p, const Account &who, const ClassRoom &room) const {
  const QString role = p.value(kRole);
  if (role.isEmpty()) return ApiReply::missing(kRole);
  if (!isFlag(role) && role != QLatin1String("2")) return ApiReply::badParameter(kRole);
  if (role == QLatin1String("1") && who.userId != room.teacherId) return ApiReply::error(ApiError::RoleNotAllowed);
  return std::nullopt;
}

QJsonObject ClassroomRoutes::memberObject(const Member &m) {
  QJsonObject o;
  o.insert(QStringLiteral("uid"), m.uid);
  o.insert(QStringLiteral("name"), m.online ? m.name : m.name + QStringLiteral("(离线)"));
  o.insert(QStringLiteral("role"), m.role);
  o.insert(QStringLiteral("device"), m.device);
  o.insert(QStringLiteral("full_device"), m.fullDevice);
  o.insert(QStringLiteral("offline"), m.online ? QStringLiteral("0") : QStringLiteral("1"));
  o.insert(QStringLiteral("sort"), m.sort);
  o.insert(QStringLiteral("up"), m.up ? QStringLiteral("1") : QStringLiteral("0"));
  return o;
}

ApiReply ClassroomRoutes::bgpLogin(const FormParams &p) const {
  Account who;
  ClassRoom room;
  if (auto refused = caller(p, &who, &room)) return *refused;
  if (auto refused = checkRole(p, who, room)) return *refused;
  QJsonObject data;
  data.insert(QStringLiteral("userId"), who.userId);
  data.insert(QStringLiteral("userSig"), m_credentials.userSig(who.userId));
  data.insert(QStringLiteral("name"), who.name);
  // Every line: the hub lets nobody into a room without it. Only the class's teacher teaches.
  const bool teaches = who.userId == room.teacherId && p.value(kRole) == QLatin1String("1");
  data.insert(QStringLiteral("authBuffer"),
              m_credentials.authBuffer(room.roomId, who.userId,
                                       QLatin1String(teaches ? hubproto::kRoleLiveMaster : hubproto::kRoleGuest)));
  data.insert(QStringLiteral("lineType"), room.lineType);
  if (!m_config.hubUrl.isEmpty()) data.insert(QStringLiteral("hubUrl"), m_config.hubUrl);
  if (!seatOnEngines(who, room, &data)) return ApiReply::error(ApiError::Internal);
  qInfo().noquote() << "live-service/bgp_login" << who.userId << "room" << room.roomId;
  return ApiReply::ok(data);
}

bool ClassroomRoutes::seatOnEngines(const Account &who, const ClassRoom &room, QJsonObject *data) const {
  QString why;
  if (m_xmpp) {
    if (!m_xmpp->seat(room.roomId, room.teacherId, who.userId, &why)) {
      qWarning().noquote() << "live-service/bgp_login" << who.userId << why;
      return false;
    }
    data->insert(QStringLiteral("imToken"), m_imTokens->token(who.userId));
    m_archiver->watch(room.roomId, room.teacherId);
  }
  if (m_janus) {
    JanusSeat seat;
    if (!m_janus->seat(room.roomId, who.userId, &seat, &why)) {
      qWarning().noquote() << "live-service/bgp_login" << who.userId << why;
      return false;
    }
    data->insert(QStringLiteral("janusUrl"), seat.url);
    data->insert(QStringLiteral("janusRoom"), qint64(seat.room));
    data->insert(QStringLiteral("janusToken"), seat.token);
    data->insert(QStringLiteral("janusFeed"), static_cast<qint64>(seat.feed));
  }
  return true;
}

ApiReply ClassroomRoutes::teacherInRoom(const FormParams &p) const {
  Account who;
  ClassRoom room;
  if (auto refused = caller(p, &who, &room)) return *refused;
  QJsonObject data;
  data.insert(QStringLiteral("result"), m_rooms.teacherInRoom(room.roomId) ? QStringLiteral("true") : QStringLiteral("false"));
  return ApiReply::ok(data);
}

ApiReply ClassroomRoutes::enter(const FormParams &p) {
  Account who;
  ClassRoom room;
  if (auto refused = caller(p, &who, &room)) return *refused;
  const QString missing = p.firstMissing({kDevice, QStringLiteral("clientLineType")});
  if (!missing.isEmpty()) return ApiReply::missing(missing);
  if (auto refused = checkRole(p, who, room)) return *refused;
  // A client set up for the other line could not reach this room's media.
  if (p.value(QStringLiteral("clientLineType")) != room.lineType) return ApiReply::error(ApiError::LineTypeMismatch);
  m_rooms.enter(room.roomId, who, {p.value(kDevice), p.value(kRole), false});
  qInfo().noquote() << "live-service/enter" << who.userId << "room" << room.roomId;
  QJsonObject data;
  data.insert(QStringLiteral("refresh_interval"), m_config.refreshIntervalS);
  data.insert(QStringLiteral("notify_id"), qint64(m_rooms.notifyId(room.roomId)));
  return ApiReply::ok(data);
}

ApiReply ClassroomRoutes::heartbeat(const FormParams &p) {
  Account who;
  ClassRoom room;
  if (auto refused = caller(p, &who, &room)) return *refused;
  if (p.value(kDevice).isEmpty()) return ApiReply::missing(kDevice);
  if (auto refused = checkRole(p, who, room)) return *refused;
  const QString up = p.value(QStringLiteral("up"));
  if (up.isEmpty()) return ApiReply::missing(QStringLiteral("up"));
  if (!isFlag(up)) return ApiReply::badParameter(QStringLiteral("up"));
  m_rooms.heartbeat(room.roomId, who, {p.value(kDevice), p.value(kRole), up == QLatin1String("1")});
  QJsonObject data;
  data.insert(QStringLiteral("notify_id"), qint64(m_rooms.notifyId(room.roomId)));
  return ApiReply::ok(data);
}

ApiReply ClassroomRoutes::exit(const FormParams &p) {
  Account who;
  ClassRoom room;
  if (auto refused = caller(p, &who, &room)) return *refused;
  if (!m_rooms.exit(room.roomId, who.userId)) return ApiReply::error(ApiError::NotInRoom);
  qInfo().noquote() << "live-service/exit" << who.userId << "room" << room.roomId;
  return ApiReply::ok();
}

ApiReply ClassroomRoutes::roomUser(const FormParams &p) const {
  Account who;
  ClassRoom room;
  if (auto refused = caller(p, &who, &room)) return *refused;
  const QString addition = p.value(QStringLiteral("is_addition"));
  if (addition.isEmpty()) return ApiReply::missing(QStringLiteral("is_addition"));
  if (!isFlag(addition)) return ApiReply::badParameter(QStringLiteral("is_addition"));
  // Both kinds answer the whole roster: the client rebuilds its table from it either way.
  QJsonArray list;
  for (const Member &m : m_rooms.roster(room.roomId)) list.append(memberObject(m));
  QJsonObject data;
  data.insert(QStringLiteral("idlist"), list);
  data.insert(QStringLiteral("notify_id"), qint64(m_rooms.notifyId(room.roomId)));
  return ApiReply::ok(data);
}

ApiReply ClassroomRoutes::oneRoomUser(const FormParams &p) const {
  Account who;
  ClassRoom room;
  if (auto refused = caller(p, &who, &room)) return *refused;
  const QString uid = p.value(QStringLiteral("uid"));
  if (uid.isEmpty()) return ApiReply::missing(QStringLiteral("uid"));
  QJsonArray list;
  if (const std::optional<Member> m = m_rooms.member(room.roomId, uid)) list.append(memberObject(*m));
  QJsonObject data;
  data.insert(QStringLiteral("idlist"), list);
  return ApiReply::ok(data);
}

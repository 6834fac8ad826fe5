#include "protocol/roomgrant.h"

#include "protocol/protocol.h"
#include "protocol/signedtext.h"

#include <QDateTime>

namespace roomgrant {

namespace {

const QByteArray kPrefix = QByteArrayLiteral("g1");
constexpr int kMaxGrantLength = 1024;
enum Field { Prefix, Room, Role, Expiry, User, Mac, FieldCount };

QByteArray mac(const QByteArray &secret, const QByteArray &userId, const QByteArray &room,
               const QByteArray &role, const QByteArray &expiry) {
  return signedtext::mac(secret, {kPrefix, userId, room, role, expiry});
}

// The fields of a well-formed grant, its mac not yet checked.
bool parse(const QString &text, QList<QByteArray> *fields, Grant *grant) {
  if (text.size() > kMaxGrantLength)
    return false;
  *fields = text.toLatin1().split('.');
  if (fields->size() != FieldCount || fields->at(Prefix) != kPrefix)
    return false;
  qint64 room = 0;
  if (!signedtext::parseDecimal(fields->at(Room), &room) || room < 1 || room > 0xffffffffLL ||
      !signedtext::parseDecimal(fields->at(Expiry), &grant->expiresAt))
    return false;
  auto user = QByteArray::fromBase64Encoding(fields->at(User), QByteArray::Base64UrlEncoding |
                                                                   QByteArray::AbortOnBase64DecodingErrors);
  grant->role = QString::fromLatin1(fields->at(Role));
  grant->roomId = static_cast<quint32>(room);
  grant->userId = QString::fromUtf8(*user);
  return user && !grant->userId.isEmpty() && hubproto::isKnownRole(grant->role);
}

} // namespace

QString issue(const QByteArray &secret, const Grant &grant) {
  const QByteArray user = grant.userId.toUtf8();
  const QByteArray room = QByteArray::number(grant.roomId);
  const QByteArray role = grant.role.toLatin1();
  const QByteArray expiry = QByteArray::number(grant.expiresAt);
  return QString::fromLatin1(QList<QByteArray>{kPrefix, room, role, expiry, signedtext::base64Url(user),
                                               mac(secret, user, room, role, expiry)}
                                 .join('.'));
}

QString issueFor(const QByteArray &secret, const QString &userId, quint32 roomId, const QString &role,
                 qint64 lifetimeSeconds) {
  return issue(secret, {userId, roomId, role, QDateTime::currentSecsSinceEpoch() + lifetimeSeconds});
}

Check verify(const QByteArray &secret, const QString &text, const QString &userId, quint32 roomId,
             qint64 now, Grant *out) {
  if (text.isEmpty())
    return Check::Missing;
  QList<QByteArray> fields;
  Grant grant;
  if (!parse(text, &fields, &grant))
    return Check::Forged;
  const QByteArray expected = mac(secret, grant.userId.toUtf8(), fields.at(Room), fields.at(Role), fields.at(Expiry));
  if (!signedtext::sameBytes(fields.at(Mac), expected))
    return Check::Forged;
  // Genuine from here on: say what is wrong with it, so a client can tell its user.
  if (grant.userId != userId)
    return Check::OtherUser;
  if (grant.roomId != roomId)
    return Check::OtherRoom;
  if (grant.expiresAt <= now)
    return Check::Expired;
  if (out)
    *out = grant;
  return Check::Ok;
}

int resultCode(Check check) {
  switch (check) {
  case Check::Ok: return hubproto::Ok;
  case Check::Missing: return hubproto::GrantMissing;
  case Check::Forged: return hubproto::GrantForged;
  case Check::Expired: return hubproto::GrantExpired;
  case Check::OtherRoom: return hubproto::GrantOtherRoom;
  case Check::OtherUser: return hubproto::GrantOtherUser;
  }
  return hubproto::GrantForged;
}

} // namespace roomgrant

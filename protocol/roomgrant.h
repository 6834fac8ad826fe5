#pragma once
// Room grants: the service's proof that a user may enter one room with a role until an expiry,
// handed out as the "authBuffer" of the class sign-in and checked by the hub on `join`.
// Form "g1.<roomId>.<role>.<expiry>.<user>.<mac>": user is the unpadded Base64url of the user
// id, mac the unpadded Base64url of HMAC-SHA256(secret, "g1\n" + userId + "\n" + roomId + "\n"
// + role + "\n" + expiry), expiry in seconds since 1970 (docs/protocol.md).

#include <QByteArray>
#include <QString>

namespace roomgrant {

struct Grant {
  QString userId;
  quint32 roomId = 0;
  QString role;          // the highest room role the holder may take by itself
  qint64 expiresAt = 0;  // seconds since 1970
};

enum class Check { Ok, Missing, Forged, Expired, OtherRoom, OtherUser };

QString issue(const QByteArray &secret, const Grant &grant);
// A grant good for lifetimeSeconds from now.
QString issueFor(const QByteArray &secret, const QString &userId, quint32 roomId, const QString &role,
                 qint64 lifetimeSeconds);

// Checks text for userId entering roomId at time now (seconds since 1970); *out receives the
// grant once it proved genuine.
Check verify(const QByteArray &secret, const QString &text, const QString &userId, quint32 roomId,
             qint64 now, Grant *out = nullptr);

// The hub's result code for a refusal (hubproto::Code), Ok for Check::Ok.
int resultCode(Check check);

} // namespace roomgrant

#pragma once
// User signatures: the service's proof that a user id may sign in to the hub until an expiry.
// Form "v1.<expiry>.<mac>", mac = unpadded Base64url of HMAC-SHA256(secret,
// "v1\n" + userId + "\n" + expiry), expiry in seconds since 1970 (docs/protocol.md).

#include <QByteArray>
#include <QString>

namespace usersig {

enum class Check { Ok, Malformed, BadSignature, Expired };

// A signature for userId that is good until expiresAt (seconds since 1970).
QString issue(const QByteArray &secret, const QString &userId, qint64 expiresAt);
// A signature good for lifetimeSeconds from now.
QString issueFor(const QByteArray &secret, const QString &userId, qint64 lifetimeSeconds);

// Checks sig for userId at time now (seconds since 1970). *expiresAt, when given, receives the
// signature's expiry once it parsed.
Check verify(const QByteArray &secret, const QString &userId, const QString &sig, qint64 now,
             qint64 *expiresAt = nullptr);
Check verifyNow(const QByteArray &secret, const QString &userId, const QString &sig);

} // namespace usersig

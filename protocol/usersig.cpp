#include "protocol/usersig.h"

#include "protocol/signedtext.h"

#include <QDateTime>

namespace usersig {

namespace {

const QByteArray kPrefix = QByteArrayLiteral("v1");
constexpr int kMaxSignatureLength = 256;

QByteArray mac(const QByteArray &secret, const QString &userId, const QByteArray &expiry) {
  return signedtext::mac(secret, {kPrefix, userId.toUtf8(), expiry});
}

} // namespace

QString issue(const QByteArray &secret, const QString &userId, qint64 expiresAt) {
  const QByteArray expiry = QByteArray::number(expiresAt);
  return QString::fromLatin1(kPrefix + '.' + expiry + '.' + mac(secret, userId, expiry));
}

QString issueFor(const QByteArray &secret, const QString &userId, qint64 lifetimeSeconds) {
  return issue(secret, userId, QDateTime::currentSecsSinceEpoch() + lifetimeSeconds);
}

Check verify(const QByteArray &secret, const QString &userId, const QString &sig, qint64 now,
             qint64 *expiresAt) {
  if (sig.size() > kMaxSignatureLength || userId.isEmpty())
    return Check::Malformed;
  const QList<QByteArray> parts = sig.toLatin1().split('.');
  qint64 expiry = 0;
  if (parts.size() != 3 || parts[0] != kPrefix || !signedtext::parseDecimal(parts[1], &expiry))
    return Check::Malformed;
  if (!signedtext::sameBytes(parts[2], mac(secret, userId, parts[1])))
    return Check::BadSignature;
  if (expiresAt)
    *expiresAt = expiry;
  return expiry <= now ? Check::Expired : Check::Ok;
}

Check verifyNow(const QByteArray &secret, const QString &userId, const QString &sig) {
  return verify(secret, userId, sig, QDateTime::currentSecsSinceEpoch());
}

} // namespace usersig

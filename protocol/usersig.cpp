#include "protocol/usersig.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QMessageAuthenticationCode>
#include <QStringList>

namespace usersig {

namespace {

const QByteArray kPrefix = QByteArrayLiteral("v1");
constexpr int kMaxSignatureLength = 256;

QByteArray mac(const QByteArray &secret, const QString &userId, const QByteArray &expiry) {
  QMessageAuthenticationCode code(QCryptographicHash::Sha256, secret);
  code.addData(kPrefix + '\n' + userId.toUtf8() + '\n' + expiry);
  return code.result().toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

// Compares without stopping at the first difference, so timing tells nothing about the mac.
bool sameBytes(const QByteArray &a, const QByteArray &b) {
  if (a.size() != b.size())
    return false;
  unsigned char diff = 0;
  for (int i = 0; i < a.size(); ++i)
    diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

bool parseExpiry(const QByteArray &text, qint64 *out) {
  if (text.isEmpty() || text.size() > 18)
    return false;
  for (char c : text)
    if (c < '0' || c > '9')
      return false;
  *out = text.toLongLong();
  return true;
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
  if (parts.size() != 3 || parts[0] != kPrefix || !parseExpiry(parts[1], &expiry))
    return Check::Malformed;
  if (!sameBytes(parts[2], mac(secret, userId, parts[1])))
    return Check::BadSignature;
  if (expiresAt)
    *expiresAt = expiry;
  return expiry <= now ? Check::Expired : Check::Ok;
}

Check verifyNow(const QByteArray &secret, const QString &userId, const QString &sig) {
  return verify(secret, userId, sig, QDateTime::currentSecsSinceEpoch());
}

} // namespace usersig

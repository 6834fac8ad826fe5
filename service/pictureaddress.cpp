#include "service/pictureaddress.h"

#include <QList>

namespace pictureaddress {

namespace {

constexpr int kSignatureLength = 64;
constexpr int kMaxExpiryDigits = 12;
const QByteArray kExpires("expires");
const QByteArray kSig("sig");

bool allOf(const QByteArray &text, bool (*accept)(char)) {
  for (char c : text)
    if (!accept(c)) return false;
  return true;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLowerHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f'); }

} // namespace

bool parseQuery(const QByteArray &query, ReadGrant *out) {
  const QList<QByteArray> items = query.split('&');
  if (items.size() != 2) return false;
  QByteArray expires, sig;
  bool haveExpires = false, haveSig = false;
  for (const QByteArray &item : items) {
    const int eq = item.indexOf('=');
    const QByteArray key = item.left(eq);
    bool &have = key == kExpires ? haveExpires : haveSig;
    if (eq <= 0 || (key != kExpires && key != kSig) || have) return false; // unknown, or a key twice
    have = true;
    (key == kExpires ? expires : sig) = item.mid(eq + 1);
  }
  if (expires.isEmpty() || expires.size() > kMaxExpiryDigits || !allOf(expires, isDigit)) return false;
  if (sig.size() != kSignatureLength || !allOf(sig, isLowerHex)) return false;
  out->expiresAt = expires.toLongLong();
  out->signature = QString::fromLatin1(sig);
  return out->expiresAt > 0;
}

QString query(const ReadGrant &grant) {
  return QStringLiteral("expires=%1&sig=%2").arg(grant.expiresAt).arg(grant.signature);
}

} // namespace pictureaddress

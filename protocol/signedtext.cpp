#include "protocol/signedtext.h"

#include <QCryptographicHash>
#include <QMessageAuthenticationCode>

namespace signedtext {

QByteArray mac(const QByteArray &secret, const QList<QByteArray> &parts) {
  QByteArray message;
  for (int i = 0; i < parts.size(); ++i)
    message += (i ? QByteArray("\n") : QByteArray()) + parts.at(i);
  return base64Url(QMessageAuthenticationCode::hash(message, secret, QCryptographicHash::Sha256));
}

bool sameBytes(const QByteArray &a, const QByteArray &b) {
  if (a.size() != b.size())
    return false;
  unsigned char diff = 0;
  for (int i = 0; i < a.size(); ++i)
    diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

bool parseDecimal(const QByteArray &text, qint64 *out) {
  if (text.isEmpty() || text.size() > 18)
    return false;
  for (char c : text)
    if (c < '0' || c > '9')
      return false;
  *out = text.toLongLong();
  return true;
}

QByteArray base64Url(const QByteArray &bytes) {
  return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

} // namespace signedtext

#include "service/imtokenissuer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>

namespace {
QByteArray part(const QByteArray &bytes) {
  return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}
QByteArray part(const QJsonObject &o) { return part(QJsonDocument(o).toJson(QJsonDocument::Compact)); }
} // namespace

QString ImTokenIssuer::token(const QString &userId) const {
  QJsonObject header;
  header.insert(QStringLiteral("alg"), QStringLiteral("HS256"));
  header.insert(QStringLiteral("typ"), QStringLiteral("JWT"));
  QJsonObject claims;
  claims.insert(QStringLiteral("jid"), jid(userId));
  claims.insert(QStringLiteral("exp"), m_clock() / 1000 + LifetimeS);
  const QByteArray signedPart = part(header) + '.' + part(claims);
  const QByteArray mac = QMessageAuthenticationCode::hash(signedPart, m_key, QCryptographicHash::Sha256);
  return QString::fromLatin1(signedPart + '.' + part(mac));
}

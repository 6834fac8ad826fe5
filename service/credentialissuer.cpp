#include "service/credentialissuer.h"

#include <QStringList>

#include "service/pictureaddress.h"

#include "protocol/roomgrant.h"
#include "protocol/usersig.h"

QString CredentialIssuer::userSig(const QString &userId) const {
  const qint64 expiry = nowSeconds() + UserSigLifetimeS;
  return usersig::issue(m_signer.secret(), userId, expiry);
}

QString CredentialIssuer::authBuffer(quint32 roomId, const QString &userId, const QString &role) const {
  return roomgrant::issue(m_signer.secret(), {userId, roomId, role, nowSeconds() + UserSigLifetimeS});
}

QString CredentialIssuer::uploadSignature(const QString &bucket, const QString &userId, qint64 expiresAt) const {
  const QString expiry = QString::number(expiresAt);
  return QStringList({QStringLiteral("v1"), bucket, userId, expiry,
                      m_signer.sign({QStringLiteral("upload"), bucket, userId, expiry})})
      .join(QLatin1Char(':'));
}

bool CredentialIssuer::checkUploadSignature(const QString &signature, const QString &bucket, QString *userId) const {
  const QStringList parts = signature.split(QLatin1Char(':'));
  if (parts.size() != 5 || parts.at(0) != QLatin1String("v1") || parts.at(1) != bucket) return false;
  bool ok = false;
  const qint64 expiry = parts.at(3).toLongLong(&ok);
  if (!ok || expiry <= nowSeconds()) return false;
  if (!m_signer.verify({QStringLiteral("upload"), parts.at(1), parts.at(2), parts.at(3)}, parts.at(4))) return false;
  if (userId) *userId = parts.at(2);
  return true;
}

QString CredentialIssuer::pictureReadQuery(const QString &path, qint64 expiresAt) const {
  const QString expiry = QString::number(expiresAt);
  return pictureaddress::query({expiresAt, m_signer.sign({QStringLiteral("read"), path, expiry})});
}

bool CredentialIssuer::checkPictureRead(const QString &path, const QByteArray &query) const {
  pictureaddress::ReadGrant grant;
  if (!pictureaddress::parseQuery(query, &grant) || grant.expiresAt <= nowSeconds()) return false;
  return m_signer.verify({QStringLiteral("read"), path, QString::number(grant.expiresAt)}, grant.signature);
}

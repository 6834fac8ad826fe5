#include "service/credentialissuer.h"

#include <QStringList>

#include "protocol/usersig.h"

QString CredentialIssuer::userSig(const QString &userId) const {
  const qint64 expiry = nowSeconds() + UserSigLifetimeS;
  return usersig::issue(m_signer.secret(), userId, expiry);
}

QString CredentialIssuer::authBuffer(quint32 roomId, const QString &userId) const {
  const QString expiry = QString::number(nowSeconds() + UserSigLifetimeS);
  const QString room = QString::number(roomId);
  const QString mac = m_signer.sign({QStringLiteral("room"), room, userId, expiry});
  return QString::fromLatin1(QStringList({room, userId, expiry, mac}).join(QLatin1Char(':')).toUtf8().toBase64());
}

bool CredentialIssuer::checkAuthBuffer(const QString &buffer, quint32 roomId, const QString &userId) const {
  const QStringList parts = QString::fromUtf8(QByteArray::fromBase64(buffer.toLatin1())).split(QLatin1Char(':'));
  if (parts.size() != 4 || parts.at(0) != QString::number(roomId) || parts.at(1) != userId) return false;
  if (parts.at(2).toLongLong() <= nowSeconds()) return false;
  return m_signer.verify({QStringLiteral("room"), parts.at(0), parts.at(1), parts.at(2)}, parts.at(3));
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

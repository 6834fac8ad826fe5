#pragma once
// The signed texts the service hands out: user signatures and room grants for the class hub,
// upload signatures for the picture store (checked again when a picture arrives), and the
// time-limited read grants of stored pictures.

#include "service/serviceclock.h"
#include "service/signer.h"

#include <QString>

class CredentialIssuer {
public:
  static constexpr qint64 UserSigLifetimeS = 24 * 3600;
  static constexpr qint64 MaxUploadLifetimeS = 7 * 24 * 3600;

  CredentialIssuer(const Signer &signer, ServiceClock clock = systemClock())
      : m_signer(signer), m_clock(std::move(clock)) {}

  // What the hub accepts at sign-in for userId, good for UserSigLifetimeS.
  QString userSig(const QString &userId) const;
  // The room grant the hub wants on join (protocol/roomgrant.h), good for UserSigLifetimeS;
  // role is the highest the user may take without the teacher.
  QString authBuffer(quint32 roomId, const QString &userId, const QString &role) const;

  // "v1:<bucket>:<userId>:<expiry>:<mac>"; expiresAt in seconds since 1970.
  QString uploadSignature(const QString &bucket, const QString &userId, qint64 expiresAt) const;
  // The user the signature was made for, when it is genuine, for bucket, and not expired.
  bool checkUploadSignature(const QString &signature, const QString &bucket, QString *userId) const;

  // "expires=…&sig=…" that lets the picture at path be read until expiresAt.
  QString pictureReadQuery(const QString &path, qint64 expiresAt) const;
  // Whether query is a genuine, unexpired read grant for exactly this path.
  bool checkPictureRead(const QString &path, const QByteArray &query) const;

  qint64 nowSeconds() const { return m_clock() / 1000; }

private:
  const Signer &m_signer;
  ServiceClock m_clock;
};

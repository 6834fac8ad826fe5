#pragma once
// HMAC-SHA256 signatures with the service's secret, for the texts the service hands out and
// later checks itself (upload signatures, the room authentication buffer).

#include <QByteArray>
#include <QString>
#include <QStringList>

class Signer {
public:
  explicit Signer(QByteArray secret) : m_secret(std::move(secret)) {}

  // Lower-case hex HMAC of the parts joined by newlines (so "a","bc" and "ab","c" differ).
  QString sign(const QStringList &parts) const;
  bool verify(const QStringList &parts, const QString &signature) const;
  const QByteArray &secret() const { return m_secret; }

  // 32 random bytes as hex: the secret of a service started without one.
  static QByteArray randomSecret();

private:
  QByteArray m_secret;
};

#pragma once
// Sign-in tokens for the XMPP server that may carry a class's IM: HS256 JWTs naming the JID
// (<userId>@<domain>, in the "jid" claim the server reads) and an expiry, signed with the key
// the server was configured with.

#include "service/serviceclock.h"

#include <QByteArray>
#include <QString>

class ImTokenIssuer {
public:
  static constexpr qint64 LifetimeS = 24 * 3600;

  ImTokenIssuer(QByteArray key, QString domain, ServiceClock clock = systemClock())
      : m_key(std::move(key)), m_domain(std::move(domain)), m_clock(std::move(clock)) {}

  QString jid(const QString &userId) const { return userId + QLatin1Char('@') + m_domain; }
  const QString &domain() const { return m_domain; }
  // header.claims.signature, each Base64url without padding.
  QString token(const QString &userId) const;

private:
  QByteArray m_key;
  QString m_domain;
  ServiceClock m_clock;
};

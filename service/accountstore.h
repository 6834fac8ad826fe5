#pragma once
// Accounts, sign-in tokens and sign-in codes. Every method locks; the HTTP workers share it.

#include "service/serviceclock.h"
#include "service/servicerecords.h"

#include <QHash>
#include <QMutex>
#include <QString>

#include <functional>
#include <optional>

class AccountStore {
public:
  explicit AccountStore(const QList<Account> &accounts, ServiceClock clock = systemClock());

  std::optional<Account> byPhone(const QString &phone) const;
  std::optional<Account> byId(const QString &userId) const;
  std::optional<Account> byToken(const QString &token) const;
  QList<Account> all() const;

  // A token is good for TokenLifetimeMs from its issue; a class day fits in it.
  static constexpr qint64 TokenLifetimeMs = 24 * 3600 * 1000;
  // A new token for the account; earlier tokens of the account stay valid until they expire.
  QString issueToken(const QString &userId);

  // Also ends every token of the account: whoever held the old password is signed out.
  bool setPassword(const QString &userId, const QString &password);
  bool setName(const QString &userId, const QString &name);
  // Takes amount coins when the balance allows; *balance is the balance afterwards.
  bool spendGold(const QString &userId, int amount, int *balance);

  // Sign-in codes: one per phone every CodeIntervalMs, valid for CodeLifetimeMs, used once.
  static constexpr qint64 CodeIntervalMs = 60 * 1000;
  static constexpr qint64 CodeLifetimeMs = 5 * 60 * 1000;
  // Guessing is cut off: after this many wrong tries the code is void.
  static constexpr int CodeMaxFailures = 5;
  // Seconds until phone may ask for a new code; 0 when it may now.
  int secondsUntilNextCode(const QString &phone) const;
  QString issueCode(const QString &phone);
  bool consumeCode(const QString &phone, const QString &code);

private:
  struct PendingCode {
    QString code;
    qint64 issuedMs = 0;
    int failures = 0;
  };
  struct IssuedToken {
    QString userId;
    qint64 expiresMs = 0;
  };
  Account *findLocked(const QString &userId);
  void dropTokensLocked(const std::function<bool(const IssuedToken &)> &which);

  ServiceClock m_clock;
  mutable QMutex m_mutex;
  QList<Account> m_accounts;
  QHash<QString, IssuedToken> m_tokens;
  QHash<QString, PendingCode> m_codes; // phone -> code
};

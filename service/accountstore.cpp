#include "service/accountstore.h"

#include <QMutexLocker>
#include <QRandomGenerator>

AccountStore::AccountStore(const QList<Account> &accounts, ServiceClock clock)
    : m_clock(std::move(clock)), m_accounts(accounts) {}

std::optional<Account> AccountStore::byPhone(const QString &phone) const {
  QMutexLocker lock(&m_mutex);
  for (const Account &a : m_accounts)
    if (a.phone == phone) return a;
  return std::nullopt;
}

std::optional<Account> AccountStore::byId(const QString &userId) const {
  QMutexLocker lock(&m_mutex);
  for (const Account &a : m_accounts)
    if (a.userId == userId) return a;
  return std::nullopt;
}

std::optional<Account> AccountStore::byToken(const QString &token) const {
  QString userId;
  {
    QMutexLocker lock(&m_mutex);
    const auto it = m_tokens.constFind(token);
    if (it != m_tokens.constEnd() && m_clock() < it->expiresMs) userId = it->userId;
  }
  if (token.isEmpty() || userId.isEmpty()) return std::nullopt;
  return byId(userId);
}

QList<Account> AccountStore::all() const {
  QMutexLocker lock(&m_mutex);
  return m_accounts;
}

QString AccountStore::issueToken(const QString &userId) {
  // Hex only: the client sends form values unencoded, so a token must need no escaping.
  quint32 words[4];
  QRandomGenerator::system()->fillRange(words);
  QString token;
  for (quint32 w : words) token += QStringLiteral("%1").arg(w, 8, 16, QLatin1Char('0'));
  QMutexLocker lock(&m_mutex);
  const qint64 now = m_clock();
  dropTokensLocked([now](const IssuedToken &t) { return t.expiresMs <= now; });
  m_tokens.insert(token, IssuedToken{userId, now + TokenLifetimeMs});
  return token;
}

void AccountStore::dropTokensLocked(const std::function<bool(const IssuedToken &)> &which) {
  for (auto it = m_tokens.begin(); it != m_tokens.end();)
    it = which(*it) ? m_tokens.erase(it) : std::next(it);
}

Account *AccountStore::findLocked(const QString &userId) {
  for (Account &a : m_accounts)
    if (a.userId == userId) return &a;
  return nullptr;
}

bool AccountStore::setPassword(const QString &userId, const QString &password) {
  QMutexLocker lock(&m_mutex);
  Account *a = findLocked(userId);
  if (!a) return false;
  a->password = password;
  dropTokensLocked([&userId](const IssuedToken &t) { return t.userId == userId; });
  return true;
}

bool AccountStore::setName(const QString &userId, const QString &name) {
  QMutexLocker lock(&m_mutex);
  Account *a = findLocked(userId);
  if (!a) return false;
  a->name = name;
  return true;
}

bool AccountStore::spendGold(const QString &userId, int amount, int *balance) {
  QMutexLocker lock(&m_mutex);
  Account *a = findLocked(userId);
  if (!a) return false;
  const bool enough = amount >= 0 && a->gold >= amount;
  if (enough) a->gold -= amount;
  if (balance) *balance = a->gold;
  return enough;
}

int AccountStore::secondsUntilNextCode(const QString &phone) const {
  QMutexLocker lock(&m_mutex);
  const auto it = m_codes.constFind(phone);
  if (it == m_codes.constEnd()) return 0;
  const qint64 left = it->issuedMs + CodeIntervalMs - m_clock();
  return left <= 0 ? 0 : int((left + 999) / 1000);
}

QString AccountStore::issueCode(const QString &phone) {
  const QString code =
      QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(1000000), 6, 10, QLatin1Char('0'));
  QMutexLocker lock(&m_mutex);
  m_codes.insert(phone, PendingCode{code, m_clock()});
  return code;
}

bool AccountStore::consumeCode(const QString &phone, const QString &code) {
  QMutexLocker lock(&m_mutex);
  const auto it = m_codes.find(phone);
  if (it == m_codes.end() || it->code.isEmpty()) return false;
  if (m_clock() - it->issuedMs > CodeLifetimeMs) return false;
  if (it->code != code) {
    if (++it->failures >= CodeMaxFailures) it->code.clear();
    return false;
  }
  // Keep the issue time so the resend interval still holds after a successful sign-in.
  it->code.clear();
  return true;
}

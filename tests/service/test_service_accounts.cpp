// Sign-in against guessing, and the life of a token: throttled per account and per caller's
// address, tokens that run out, and a password change that signs every old session out.

#include "service/accountstore.h"
#include "service/apierror.h"
#include "service/avatars.h"
#include "service/loginroutes.h"
#include "service/serviceconfig.h"

#include <QTest>

namespace {

const QString kPhone1 = QStringLiteral("13800000001");
const QString kPhone2 = QStringLiteral("13800000002");
const QString kRight = QStringLiteral("secret1");
const QString kHere = QStringLiteral("127.0.0.1");
const QString kThere = QStringLiteral("127.0.0.2");

Account account(const QString &id, const QString &phone) {
  Account a;
  a.userId = id;
  a.phone = phone;
  a.password = kRight;
  a.name = QStringLiteral("学生");
  return a;
}

} // namespace

class TestServiceAccounts : public QObject {
  Q_OBJECT
  qint64 m_now = 1700000000000;
  ServiceClock clock() {
    return [this] { return m_now; };
  }
  QList<Account> m_seed{account(QStringLiteral("s1"), kPhone1), account(QStringLiteral("s2"), kPhone2)};
  std::unique_ptr<AccountStore> m_accounts;
  std::unique_ptr<Avatars> m_avatars;
  ServiceConfig m_config;
  std::unique_ptr<LoginRoutes> m_login;

  ApiReply signIn(const QString &phone, const QString &password, const QString &from) {
    FormParams p;
    p.set(QStringLiteral("phone"), phone);
    p.set(QStringLiteral("password"), password);
    p.setPeer(from);
    return m_login->signIn(p);
  }

  void verifyLocked(const ApiReply &r, int seconds) {
    QCOMPARE(r.errorCode(), int(ApiError::SignInLocked));
    QCOMPARE(r.errorInfo(), QStringLiteral("登录失败次数过多，请%1秒后再试").arg(seconds));
    QVERIFY(!r.data().contains(QStringLiteral("token")));
  }

private slots:
  void init() {
    m_now = 1700000000000;
    m_accounts = std::make_unique<AccountStore>(m_seed, clock());
    m_avatars = std::make_unique<Avatars>(m_seed);
    m_login = std::make_unique<LoginRoutes>(*m_accounts, *m_avatars, m_config, clock());
  }

  void tokensExpire() {
    const QString token = m_accounts->issueToken(QStringLiteral("s1"));
    m_now += AccountStore::TokenLifetimeMs - 1;
    QVERIFY(m_accounts->byToken(token));
    const QString later = m_accounts->issueToken(QStringLiteral("s1"));
    m_now += 1;
    QVERIFY(!m_accounts->byToken(token));
    QVERIFY(m_accounts->byToken(later)); // each token counts from its own issue
  }

  void passwordChangeEndsTheAccountsTokensOnly() {
    const QString a = m_accounts->issueToken(QStringLiteral("s1"));
    const QString b = m_accounts->issueToken(QStringLiteral("s1"));
    const QString other = m_accounts->issueToken(QStringLiteral("s2"));
    QVERIFY(m_accounts->setPassword(QStringLiteral("s1"), QStringLiteral("newpass1")));
    QVERIFY(!m_accounts->byToken(a));
    QVERIFY(!m_accounts->byToken(b));
    QCOMPARE(m_accounts->byToken(other)->userId, QStringLiteral("s2"));
  }

  // After five wrong passwords the account is closed for the window, from every address and
  // even for the right password; afterwards the right password works again.
  void accountIsThrottled() {
    for (int i = 0; i < LoginThrottle::AccountFailures; ++i)
      QCOMPARE(signIn(kPhone1, QStringLiteral("guess%1").arg(i), kHere).errorCode(), int(ApiError::WrongPassword));
    verifyLocked(signIn(kPhone1, kRight, kHere), int(LoginThrottle::WindowMs / 1000));
    m_now += 60 * 1000;
    verifyLocked(signIn(kPhone1, kRight, kThere), int(LoginThrottle::WindowMs / 1000) - 60);
    QCOMPARE(signIn(kPhone2, kRight, kThere).errorCode(), 0); // the classmate is not locked out
    m_now += LoginThrottle::WindowMs;
    QCOMPARE(signIn(kPhone1, kRight, kHere).errorCode(), 0);
  }

  // One caller walking through phone numbers is stopped by its address, for every account.
  void addressIsThrottled() {
    for (int i = 0; i < LoginThrottle::AddressFailures; ++i)
      QCOMPARE(signIn(QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')), QStringLiteral("x"), kHere).errorCode(),
               int(ApiError::UnknownPhone));
    verifyLocked(signIn(kPhone1, kRight, kHere), int(LoginThrottle::WindowMs / 1000));
    QCOMPARE(signIn(kPhone1, kRight, kThere).errorCode(), 0);
  }

  // A right password clears the account's count, so a student who mistypes now and then is
  // never locked out.
  void successClearsTheAccountsCount() {
    for (int round = 0; round < 3; ++round) {
      for (int i = 0; i < LoginThrottle::AccountFailures - 1; ++i)
        QCOMPARE(signIn(kPhone1, QStringLiteral("typo"), QStringLiteral("127.0.0.%1").arg(10 + round)).errorCode(),
                 int(ApiError::WrongPassword));
      QCOMPARE(signIn(kPhone1, kRight, kHere).errorCode(), 0);
    }
  }

  // Guessing the old password through a password change counts like a sign-in.
  void passwordChangeIsThrottled() {
    const QString token = m_accounts->issueToken(QStringLiteral("s1"));
    FormParams p;
    p.set(QStringLiteral("token"), token);
    p.set(QStringLiteral("new_password"), QStringLiteral("newpass1"));
    p.setPeer(kHere);
    for (int i = 0; i < LoginThrottle::AccountFailures; ++i) {
      p.set(QStringLiteral("old_password"), QStringLiteral("guess%1").arg(i));
      QCOMPARE(m_login->modifyPassword(p).errorCode(), int(ApiError::WrongPassword));
    }
    p.set(QStringLiteral("old_password"), kRight);
    verifyLocked(m_login->modifyPassword(p), int(LoginThrottle::WindowMs / 1000));
  }
};

QTEST_GUILESS_MAIN(TestServiceAccounts)
#include "test_service_accounts.moc"

#include "service/loginroutes.h"

#include "service/accountstore.h"
#include "service/avatars.h"
#include "service/serviceconfig.h"

#include <QDebug>
#include <QRegularExpression>

void LoginRoutes::registerRoutes(ApiRouter &router) {
  const QString service = QStringLiteral("login");
  router.add(service, QStringLiteral("sign-in"), [this](const FormParams &p) { return signIn(p); });
  router.add(service, QStringLiteral("auth-code"), [this](const FormParams &p) { return authCode(p); });
  router.add(service, QStringLiteral("check-token"), [this](const FormParams &p) { return checkToken(p); });
  router.add(service, QStringLiteral("modify-password"),
             [this](const FormParams &p) { return modifyPassword(p); });
}

bool LoginRoutes::isPhoneNumber(const QString &phone) {
  static const QRegularExpression pattern(QStringLiteral("^1[0-9]{10}$"));
  return pattern.match(phone).hasMatch();
}

QJsonObject LoginRoutes::portalConfig(const QString &phone, const QString &token) const {
  const QString query = QStringLiteral("?phone=%1&token=%2").arg(phone, token);
  QJsonObject c;
  c.insert(QStringLiteral("ver"), m_config.portalVersion);
  c.insert(QStringLiteral("live_page_url"), QStringLiteral("/portal/live") + query);
  c.insert(QStringLiteral("course_page_url"), QStringLiteral("/portal/course") + query);
  c.insert(QStringLiteral("gold_url"), QStringLiteral("/portal/shop") + query);
  c.insert(QStringLiteral("my_info_url"), QStringLiteral("/portal/my-info") + query);
  c.insert(QStringLiteral("modify_password_url"), QStringLiteral("/portal/password") + query);
  return c;
}

ApiReply LoginRoutes::signIn(const FormParams &p) {
  const QString phone = p.value(QStringLiteral("phone")).trimmed();
  const QString password = p.value(QStringLiteral("password"));
  const QString code = p.value(QStringLiteral("code")).trimmed();
  if (phone.isEmpty()) return ApiReply::missing(QStringLiteral("phone"));
  if (!isPhoneNumber(phone)) return ApiReply::error(ApiError::BadPhone);
  if (password.isEmpty() && code.isEmpty()) return ApiReply::missing(QStringLiteral("password"));
  if (auto refused = checkSecret(p, phone, password, code)) return *refused;
  const std::optional<Account> account = m_accounts.byPhone(phone);
  const QString token = m_accounts.issueToken(account->userId);
  qInfo().noquote() << "login/sign-in" << phone << "as" << account->userId;
  QJsonObject data;
  data.insert(QStringLiteral("token"), token);
  data.insert(QStringLiteral("phone"), phone);
  data.insert(QStringLiteral("userId"), account->userId);
  data.insert(QStringLiteral("name"), account->name);
  data.insert(QStringLiteral("avatar"), m_avatars.base64(account->userId));
  data.insert(QStringLiteral("config"), portalConfig(phone, token));
  return ApiReply::ok(data);
}

std::optional<ApiReply> LoginRoutes::checkSecret(const FormParams &p, const QString &phone, const QString &password,
                                                 const QString &code) {
  const int wait = m_throttle.secondsLocked(phone, p.peer());
  if (wait > 0) {
    qInfo().noquote() << "login: throttled" << phone << "from" << p.peer();
    return ApiReply::error(ApiError::SignInLocked, QString::number(wait));
  }
  const std::optional<Account> account = m_accounts.byPhone(phone);
  if (!account) {
    m_throttle.failed(QString(), p.peer());
    return ApiReply::error(ApiError::UnknownPhone);
  }
  if (!password.isEmpty() ? account->password != password : !m_accounts.consumeCode(phone, code)) {
    qInfo().noquote() << "login: refused for" << phone;
    m_throttle.failed(phone, p.peer());
    return ApiReply::error(password.isEmpty() ? ApiError::WrongCode : ApiError::WrongPassword);
  }
  m_throttle.succeeded(phone);
  return std::nullopt;
}

ApiReply LoginRoutes::authCode(const FormParams &p) {
  const QString phone = p.value(QStringLiteral("phone")).trimmed();
  if (phone.isEmpty()) return ApiReply::missing(QStringLiteral("phone"));
  if (!isPhoneNumber(phone)) return ApiReply::error(ApiError::BadPhone);
  if (!m_accounts.byPhone(phone)) return ApiReply::error(ApiError::UnknownPhone);
  const int wait = m_accounts.secondsUntilNextCode(phone);
  if (wait > 0) return ApiReply::error(ApiError::CodeTooFrequent, QString::number(wait));
  const QString code = m_accounts.issueCode(phone);
  // No text messages here: whoever runs the service reads the code from its log.
  qInfo().noquote() << "login/auth-code" << phone << "code" << code;
  QJsonObject data;
  data.insert(QStringLiteral("expire"), int(AccountStore::CodeLifetimeMs / 1000));
  data.insert(QStringLiteral("interval"), int(AccountStore::CodeIntervalMs / 1000));
  return ApiReply::ok(data);
}

ApiReply LoginRoutes::checkToken(const FormParams &p) const {
  const QString token = p.value(QStringLiteral("token"));
  if (token.isEmpty()) return ApiReply::missing(QStringLiteral("token"));
  const std::optional<Account> account = m_accounts.byToken(token);
  const QString phone = p.value(QStringLiteral("phone"));
  if (!account || (!phone.isEmpty() && phone != account->phone)) return ApiReply::error(ApiError::BadToken);
  QJsonObject data;
  data.insert(QStringLiteral("valid"), true);
  data.insert(QStringLiteral("userId"), account->userId);
  data.insert(QStringLiteral("phone"), account->phone);
  data.insert(QStringLiteral("name"), account->name);
  return ApiReply::ok(data);
}

ApiReply LoginRoutes::modifyPassword(const FormParams &p) {
  const QString missing =
      p.firstMissing({QStringLiteral("token"), QStringLiteral("old_password"), QStringLiteral("new_password")});
  if (!missing.isEmpty()) return ApiReply::missing(missing);
  const std::optional<Account> account = m_accounts.byToken(p.value(QStringLiteral("token")));
  if (!account) return ApiReply::error(ApiError::BadToken);
  const QString fresh = p.value(QStringLiteral("new_password"));
  if (auto refused = checkSecret(p, account->phone, p.value(QStringLiteral("old_password")), QString())) return *refused;
  if (fresh.size() < 6 || fresh.size() > 20) return ApiReply::error(ApiError::BadPassword);
  // The change signs out every holder of an old token; the caller goes on with a new one.
  m_accounts.setPassword(account->userId, fresh);
  qInfo().noquote() << "login/modify-password" << account->userId;
  QJsonObject data;
  data.insert(QStringLiteral("token"), m_accounts.issueToken(account->userId));
  return ApiReply::ok(data);
}

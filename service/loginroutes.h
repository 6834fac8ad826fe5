#pragma once
// The "login" service: sign-in by password or by code, sign-in codes, token check and
// password change.

#include "service/apirouter.h"

#include <optional>
#include "service/loginthrottle.h"

class AccountStore;
class Avatars;
struct Account;
struct ServiceConfig;

class LoginRoutes {
public:
  LoginRoutes(AccountStore &accounts, const Avatars &avatars, const ServiceConfig &config,
              ServiceClock clock = systemClock())
      : m_accounts(accounts), m_avatars(avatars), m_config(config), m_throttle(std::move(clock)) {}

  void registerRoutes(ApiRouter &router);

  ApiReply signIn(const FormParams &p);
  ApiReply authCode(const FormParams &p);
  ApiReply checkToken(const FormParams &p) const;
  ApiReply modifyPassword(const FormParams &p);

  static bool isPhoneNumber(const QString &phone);
  // The configuration the sign-in page hands to the program: portal version and the
  // addresses of the tabs and menu pages (paths, to which the program appends the build).
  QJsonObject portalConfig(const QString &phone, const QString &token) const;

private:
  // The account behind a password or code check, or the refusal (throttled, wrong, unknown).
  std::optional<ApiReply> checkSecret(const FormParams &p, const QString &phone, const QString &password,
                                      const QString &code);

  AccountStore &m_accounts;
  const Avatars &m_avatars;
  const ServiceConfig &m_config;
  LoginThrottle m_throttle;
};

#include "service/tokenguard.h"

#include "service/accountstore.h"

std::optional<ApiReply> TokenGuard::check(const AccountStore &accounts, const FormParams &p, Account *out) {
  const QString token = p.value(QStringLiteral("token"));
  if (token.isEmpty()) return ApiReply::missing(QStringLiteral("token"));
  const std::optional<Account> account = accounts.byToken(token);
  if (!account) return ApiReply::error(ApiError::BadToken);
  *out = *account;
  return std::nullopt;
}

#pragma once
// The token check every signed-in call starts with.

#include "service/apireply.h"
#include "service/formparams.h"
#include "service/servicerecords.h"

#include <optional>

class AccountStore;

class TokenGuard {
public:
  // The caller's account from the "token" parameter, or the reply that refuses the call.
  static std::optional<ApiReply> check(const AccountStore &accounts, const FormParams &p, Account *out);
};

#pragma once
// The "chat-service" calls: the upload signature for chat pictures.

#include "service/apirouter.h"

class AccountStore;
class CredentialIssuer;

class ChatRoutes {
public:
  ChatRoutes(const AccountStore &accounts, const CredentialIssuer &credentials)
      : m_accounts(accounts), m_credentials(credentials) {}

  void registerRoutes(ApiRouter &router);

  // bucketName, expired (seconds of validity), token → "signature", "expired" (the
  // signature's end in seconds since 1970).
  ApiReply uploadSignature(const FormParams &p) const;

  static bool isKnownBucket(const QString &bucket);

private:
  const AccountStore &m_accounts;
  const CredentialIssuer &m_credentials;
};

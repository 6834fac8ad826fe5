#include "service/chatroutes.h"

#include "service/credentialissuer.h"
#include "service/tokenguard.h"

void ChatRoutes::registerRoutes(ApiRouter &router) {
  router.add(QStringLiteral("chat-service"), QStringLiteral("cos_multi_effect_signature2"),
             [this](const FormParams &p) { return uploadSignature(p); });
}

bool ChatRoutes::isKnownBucket(const QString &bucket) { return bucket == QLatin1String("public"); }

ApiReply ChatRoutes::uploadSignature(const FormParams &p) const {
  Account who;
  if (auto refused = TokenGuard::check(m_accounts, p, &who)) return *refused;
  const QString missing = p.firstMissing({QStringLiteral("bucketName"), QStringLiteral("expired")});
  if (!missing.isEmpty()) return ApiReply::missing(missing);
  const QString bucket = p.value(QStringLiteral("bucketName"));
  if (!isKnownBucket(bucket)) return ApiReply::error(ApiError::UnknownBucket, bucket);
  quint32 lifetime = 0;
  if (!p.toUInt(QStringLiteral("expired"), &lifetime) || lifetime == 0 || lifetime > CredentialIssuer::MaxUploadLifetimeS)
    return ApiReply::badParameter(QStringLiteral("expired"));
  const qint64 expiresAt = m_credentials.nowSeconds() + lifetime;
  QJsonObject data;
  data.insert(QStringLiteral("signature"), m_credentials.uploadSignature(bucket, who.userId, expiresAt));
  data.insert(QStringLiteral("expired"), expiresAt);
  return ApiReply::ok(data);
}

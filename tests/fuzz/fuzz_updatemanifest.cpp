// Fuzz target: the update manifest in a version answer (the answer's "data" as JSON), checked
// against a key pinned here. Whatever is accepted names an https address or the local
// service, a well-formed hash, and carries a signature the pinned key made over exactly it.
#include "fuzzapp.h"

#include "shell/updatemanifest.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <sodium.h>

namespace {

// The fuzz key: the seeds' manifests are signed with the key of this 32-byte seed.
struct PinnedKey {
  unsigned char pk[crypto_sign_PUBLICKEYBYTES];
  unsigned char sk[crypto_sign_SECRETKEYBYTES];
  QString base64;
  PinnedKey() {
    unsigned char seed[crypto_sign_SEEDBYTES];
    for (size_t i = 0; i < sizeof(seed); ++i) seed[i] = static_cast<unsigned char>(i);
    if (sodium_init() < 0) fuzzapp::check(false, "libsodium does not start");
    crypto_sign_seed_keypair(pk, sk, seed);
    base64 = QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(pk), sizeof(pk)).toBase64());
  }
};

const QString kBackend = QStringLiteral("http://127.0.0.1:18080");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::init();
  static const PinnedKey key;
  const QVariantMap answer = QJsonDocument::fromJson(fuzzapp::bytes(data, size)).object().toVariantMap();
  UpdateManifest::Manifest m;
  const QString refused = UpdateManifest::check(answer, key.base64, kBackend, &m);
  if (!refused.isEmpty()) return 0;
  const QUrl url(m.url);
  fuzzapp::check(url.scheme() == QLatin1String("https") || m.url.startsWith(kBackend + QLatin1Char('/')) ||
                     m.url == kBackend,
                 "an address that is neither https nor the local service was accepted");
  fuzzapp::check(m.sha256.size() == 64, "a malformed hash was accepted");
  const QByteArray text = UpdateManifest::signedText(m);
  fuzzapp::check(crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(m.signature.constData()),
                                             reinterpret_cast<const unsigned char *>(text.constData()),
                                             static_cast<unsigned long long>(text.size()), key.pk) == 0,
                 "a manifest the pinned key did not sign was accepted");
  fuzzapp::check(UpdateManifest::check(answer, QString(), kBackend, &m) == QStringLiteral("本机未配置更新签名公钥"),
                 "a manifest was accepted without a pinned key");
  return 0;
}

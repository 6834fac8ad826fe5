// Fuzz target: the configuration the sign-in page hands over with the token. Text that is no
// JSON object leaves the configuration as it was.
#include "fuzzapp.h"

#include "core/signinconfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::init();
  const QVariantMap before{{QStringLiteral("ver"), QStringLiteral("3.7.5")}};
  QVariantMap config = before;
  if (!SignInConfig::parse(QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(size)), &config))
    fuzzapp::check(config == before, "a refused configuration changed the one in use");
  SignInConfig::version(config);
  return 0;
}

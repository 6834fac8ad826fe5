// Fuzz target: the read grant of a stored picture's address. Input: "<path>\n<query>". A query
// that parses writes back to the same grant, and a grant that passes the store's check is
// exactly the one the store itself makes for that path and expiry.
#include "fuzzapp.h"

#include "service/credentialissuer.h"
#include "service/pictureaddress.h"
#include "service/signer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::init();
  static const Signer signer(QByteArrayLiteral("fuzz-secret"));
  // The seeds' grants run to 4102444800 (2100-01-01); the clock stands well before.
  static const CredentialIssuer issuer(signer, [] { return qint64(1700000000) * 1000; });
  const QByteArray input = fuzzapp::bytes(data, size);
  const int cut = input.indexOf('\n');
  const QString path = QString::fromUtf8(cut < 0 ? QByteArray() : input.left(cut));
  const QByteArray query = cut < 0 ? input : input.mid(cut + 1);

  pictureaddress::ReadGrant grant;
  if (pictureaddress::parseQuery(query, &grant)) {
    fuzzapp::check(grant.expiresAt > 0 && grant.signature.size() == 64, "a malformed grant parsed");
    pictureaddress::ReadGrant again;
    fuzzapp::check(pictureaddress::parseQuery(pictureaddress::query(grant).toLatin1(), &again) &&
                       again.expiresAt == grant.expiresAt && again.signature == grant.signature,
                   "a grant does not survive writing it back");
  }
  if (issuer.checkPictureRead(path, query))
    fuzzapp::check(pictureaddress::query(grant) == issuer.pictureReadQuery(path, grant.expiresAt),
                   "a grant the store did not make was accepted");
  return 0;
}

#include "protocol/janushandletag.h"

#include "protocol/signedtext.h"

#include <QCryptographicHash>

namespace janushandletag {

QString of(const QString &token) {
  const QByteArray digest =
      QCryptographicHash::hash("tarnwick-janus-handle\n" + token.toUtf8(), QCryptographicHash::Sha256);
  return QString::fromLatin1(signedtext::base64Url(digest));
}

} // namespace janushandletag

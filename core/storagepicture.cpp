#include "core/storagepicture.h"

#include <QUrl>
#include <QUrlQuery>

namespace storagepicture {

bool isStoragePicture(const QString &url, const QString &storageUrl) {
  const QUrl picture(url, QUrl::StrictMode);
  const QUrl store(storageUrl, QUrl::StrictMode);
  if (!picture.isValid() || !store.isValid() || store.host().isEmpty()) return false;
  if (!picture.userInfo().isEmpty() || picture.hasFragment()) return false;
  const bool web = picture.scheme() == QLatin1String("http") || picture.scheme() == QLatin1String("https");
  if (!web || picture.scheme() != store.scheme() || picture.host() != store.host() ||
      picture.port(picture.scheme() == QLatin1String("https") ? 443 : 80) !=
          store.port(store.scheme() == QLatin1String("https") ? 443 : 80))
    return false;
  // Compare decoded, normalised paths, so "%2e%2e" and "/./" do not climb out of the store.
  QString base = store.path(QUrl::FullyDecoded);
  if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
  const QString path = QUrl(picture.adjusted(QUrl::NormalizePathSegments)).path(QUrl::FullyDecoded);
  return path.startsWith(base) && !path.contains(QLatin1String("/../")) && path.size() > base.size();
}

QString chatPageAddress(const QString &pageUrl, const QString &storageUrl) {
  QUrl address(pageUrl);
  QUrlQuery query(address);
  query.removeAllQueryItems(QStringLiteral("store"));
  query.addQueryItem(QStringLiteral("store"), QString::fromLatin1(QUrl::toPercentEncoding(storageUrl)));
  address.setQuery(query);
  return address.toString(QUrl::FullyEncoded);
}

} // namespace storagepicture

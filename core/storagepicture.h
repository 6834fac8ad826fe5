#pragma once
// Whether a picture address points into the deployment's picture store. Chat pictures are
// shown, and fetched by the viewer, only from there: a classmate's message cannot make every
// client fetch an address of its choosing.

#include <QString>

namespace storagepicture {

// True when url has the store's scheme, host and port and its path lies below the store's
// path (storageUrl "http://h:1/storage" takes "http://h:1/storage/…", not "/storagex" or
// "/static/…"). Addresses with user info or a fragment are refused.
bool isStoragePicture(const QString &url, const QString &storageUrl);

// The chat page's address with the store it may show pictures from: the query item "store".
QString chatPageAddress(const QString &pageUrl, const QString &storageUrl);

} // namespace storagepicture

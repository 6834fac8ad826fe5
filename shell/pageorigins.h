#pragma once
// Which pages may talk to the program. Only the service's own pages (the portal and the
// static content of the deployment record) get the page bridge; of those, only the sign-in
// page's origin may read and write the stored credentials.

#include <QString>
#include <QUrl>

namespace pageorigins {

// "scheme://host:port" for http and https addresses (default ports filled in); empty for
// anything else, which never matches.
QString of(const QUrl &url);

// The portal's or the static content's origin.
bool isService(const QUrl &url);
// The origin of the sign-in page (the portal's).
bool isSignIn(const QUrl &url);

// Addresses "openUrl" hands to the system: http and https only.
bool isWebAddress(const QUrl &url);

} // namespace pageorigins

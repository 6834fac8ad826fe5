#pragma once
// The query that lets a stored picture be read: "expires=<seconds since 1970>&sig=<64 hex>",
// where the signature binds the picture's path and the expiry. An <img> carries it in its
// address, so the chat page needs no header to show a picture.

#include <QByteArray>
#include <QString>

namespace pictureaddress {

struct ReadGrant {
  qint64 expiresAt = 0;
  QString signature; // lower-case hex
};

// Strict: both keys exactly once and nothing else, an expiry of 1 to 12 digits, a signature
// of 64 lower-case hex digits. False for anything else.
bool parseQuery(const QByteArray &query, ReadGrant *out);
QString query(const ReadGrant &grant);

} // namespace pictureaddress

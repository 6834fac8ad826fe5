#pragma once
// What the hub's signed texts (user signatures, room grants) share: the mac over their parts,
// a comparison that does not stop early, and the strict reading of their decimal fields.

#include <QByteArray>
#include <QList>

namespace signedtext {

// Unpadded Base64url of HMAC-SHA256(secret, parts joined by line feeds).
QByteArray mac(const QByteArray &secret, const QList<QByteArray> &parts);
// Compares without stopping at the first difference, so timing tells nothing about a mac.
bool sameBytes(const QByteArray &a, const QByteArray &b);
// 1 to 18 decimal digits, nothing else.
bool parseDecimal(const QByteArray &text, qint64 *out);
QByteArray base64Url(const QByteArray &bytes);

} // namespace signedtext

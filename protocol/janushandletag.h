#pragma once
// The tag a member's client attaches its Janus VideoRoom handles with (Janus's "opaque_id"):
// unpadded Base64url of SHA-256("tarnwick-janus-handle\n" + token), token being the member's
// Janus token from its class sign-in. Only the token's holder can make it, the service that
// issued the token can check it, and the token itself never shows where the tag does (Janus's
// Admin API). The service thus knows whose handle a participant sits on (docs/protocol.md).

#include <QString>

namespace janushandletag {

QString of(const QString &token);

} // namespace janushandletag

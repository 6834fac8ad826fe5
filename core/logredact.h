#pragma once
// Secrets never reach the log: the value after a secret's key (a token, a user signature, a room
// grant, an upload signature, a password, an Authorization header) is replaced by "***",
// whichever way the line spells it: form "token=…", JSON "\"userSig\":\"…\"", header
// "Authorization: …" or a query "…&sig=…".

#include <QString>

namespace logredact {

// The text with every secret value masked; the text itself when it names no secret.
QString redact(const QString &text);

// Whether the text may name a secret at all (a cheap look for the key words), so that the
// common line skips the pattern.
bool mayHoldSecret(const QString &text);

} // namespace logredact

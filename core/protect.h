#pragma once
// Per-user protection of a stored secret (the remembered password). The protected form is
// printable Base64; only this user on this machine can turn it back.

#include <QString>

// Protects the text's UTF-8 bytes plus a terminating zero byte. Empty on failure (logged).
QString protectString(const QString &plain);

// Reverses protectString. Empty when the text is not valid protected data (logged).
QString unprotectString(const QString &stored);

// The file that holds this user's protection key (created on first protection, mode 0600).
QString protectKeyFilePath();

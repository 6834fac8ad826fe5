#pragma once
// The signed manifest of a client update. The version answer names what the upgrade program
// may fetch and run: its address, the SHA-256 of the download, and an Ed25519 signature over
// both (and the version), made with the operator's key whose public half is pinned in the
// deployment record. Nothing else is handed to the upgrade program.

#include <QByteArray>
#include <QString>
#include <QVariantMap>

namespace UpdateManifest {

struct Manifest {
  QString version;
  QString url;
  QString sha256;    // 64 lower-case hex digits
  QByteArray signature; // 64 bytes, from Base64 "signature"
};

// The text the signature covers: "tarnwick-update-v1\n<version>\n<url>\n<sha256>".
QByteArray signedText(const Manifest &m);

// Reads "version", "url", "sha256" and "signature" (Base64) of the version answer's data.
// False, with *why (the student's text), when one is missing or malformed.
bool parse(const QVariantMap &data, Manifest *out, QString *why);

// Whether the address may be fetched by the upgrade program: https, or plain http to the
// local service (backendUrl) on a loopback address.
bool allowedAddress(const QString &url, const QString &backendUrl);

// The whole check against the pinned key (Base64 of 32 bytes). Empty when the update may go
// ahead (*out then holds it); else why it is refused, in the student's words.
QString check(const QVariantMap &data, const QString &publicKeyBase64, const QString &backendUrl, Manifest *out);

} // namespace UpdateManifest

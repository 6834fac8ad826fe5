#pragma once
// IM messages on an XMPP server: our elements and the offline-push extension travel as one
// payload extension <tw xmlns="urn:tarnwick:im:1"> whose text is the hub's JSON of them, so
// both IM paths read and check elements the same way. Also the server time of a message.

#include "protocol/immessage.h"

#include <QString>

namespace hubproto {

extern const char kXmppPayloadNs[];  // "urn:tarnwick:im:1"
extern const char kXmppPayloadTag[]; // "tw"

QString xmppPayloadText(const QVector<Element> &elems, const QString *offlinePushExt);
// Fills m's elements and offline push from a payload's text; false when malformed.
bool xmppPayloadFromText(const QString &text, ImMessage *m);

// The server's time of a message in ms since 1970: its XEP-0359 stanza-id when the server
// writes it as microseconds since 1970 (ejabberd's archive ids), else nowMs. The caller makes
// sure the id is the server's own (its "by"); a client's XEP-0203 delay stamp is no server time.
qint64 xmppServerTimeMs(const QString &stanzaId, qint64 nowMs);

} // namespace hubproto

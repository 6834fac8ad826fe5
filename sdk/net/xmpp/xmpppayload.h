#pragma once
// Our IM elements in and out of a QXmpp message (protocol/xmpppayload.h), beside a plain body
// (servers archive and store offline only messages with a body), and the JID form of users
// and rooms.

#include "protocol/immessage.h"

#include <QDateTime>
#include <QString>

class QXmppMessage;

namespace xmppim {

// Writes the payload and the body into message (type, to and id are the caller's).
void writePayload(QXmppMessage *message, const QVector<hubproto::Element> &elems, const QString *offlinePushExt);
// Reads the payload of message into m's elements and offline push; false when it has none or
// it is malformed.
bool readPayload(const QXmppMessage &message, hubproto::ImMessage *m);
// The server's time of message (protocol/xmpppayload.h): only from the archive id stamped by
// stampedBy (the room for group messages, the receiver's own account one to one), which the
// server strips from what a client sends; a delay stamp may be the sender's own, so it is
// not read. now when there is no such id.
QDateTime serverTime(const QXmppMessage &message, const QString &stampedBy, const QDateTime &now);

// User ids become JID local parts as they are; ids that would need escaping are refused.
bool isPlainLocalPart(const QString &userId);
QString roomJid(quint32 roomId, const QString &domain); // <roomId>@conference.<domain>

} // namespace xmppim

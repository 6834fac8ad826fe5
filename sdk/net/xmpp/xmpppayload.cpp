#include "sdk/net/xmpp/xmpppayload.h"

#include "protocol/xmpppayload.h"

#include <QRegularExpression>
#include <QXmppElement.h>
#include <QXmppMessage.h>

namespace xmppim {

namespace {
QString bodyOf(const QVector<hubproto::Element> &elems) {
  QString body;
  for (const hubproto::Element &e : elems) {
    if (e.kind == hubproto::Element::Text)
      body += e.text;
  }
  return body.isEmpty() ? QStringLiteral("…") : body;
}
} // namespace

void writePayload(QXmppMessage *message, const QVector<hubproto::Element> &elems, const QString *offlinePushExt) {
  QXmppElement payload;
  payload.setTagName(QLatin1String(hubproto::kXmppPayloadTag));
  payload.setAttribute(QStringLiteral("xmlns"), QLatin1String(hubproto::kXmppPayloadNs));
  payload.setValue(hubproto::xmppPayloadText(elems, offlinePushExt));
  message->setExtensions({payload});
  message->setBody(bodyOf(elems));
}

bool readPayload(const QXmppMessage &message, hubproto::ImMessage *m) {
  for (const QXmppElement &e : message.extensions()) {
    if (e.tagName() == QLatin1String(hubproto::kXmppPayloadTag) &&
        e.attribute(QStringLiteral("xmlns")) == QLatin1String(hubproto::kXmppPayloadNs))
      return hubproto::xmppPayloadFromText(e.value(), m);
  }
  return false;
}

QDateTime serverTime(const QXmppMessage &message, const QString &stampedBy, const QDateTime &now) {
  if (message.stanzaIdBy().compare(stampedBy, Qt::CaseInsensitive) != 0)
    return now;
  return QDateTime::fromMSecsSinceEpoch(hubproto::xmppServerTimeMs(message.stanzaId(), now.toMSecsSinceEpoch()),
                                        Qt::UTC);
}

bool isPlainLocalPart(const QString &userId) {
  static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._-]{1,64}$"));
  return plain.match(userId).hasMatch();
}

QString roomJid(quint32 roomId, const QString &domain) {
  return QStringLiteral("%1@conference.%2").arg(roomId).arg(domain);
}

} // namespace xmppim

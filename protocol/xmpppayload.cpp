#include "protocol/xmpppayload.h"

#include "protocol/messagerights.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace hubproto {

const char kXmppPayloadNs[] = "urn:tarnwick:im:1";
const char kXmppPayloadTag[] = "tw";

namespace {
const QString kPushExtKey = QStringLiteral("offlinePushExt");
const QString kElemsKey = QStringLiteral("elems");
// 2001-09-09 .. 2286-11-20 in microseconds: anything else is not a time.
constexpr qint64 kMinMicros = 1000000000LL * 1000000LL;
constexpr qint64 kMaxMicros = 9999999999LL * 1000000LL;
} // namespace

QString xmppPayloadText(const QVector<Element> &elems, const QString *offlinePushExt) {
  QJsonObject o;
  o.insert(kElemsKey, elementsToJson(elems));
  if (offlinePushExt)
    o.insert(kPushExtKey, *offlinePushExt);
  return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

bool xmppPayloadFromText(const QString &text, ImMessage *m) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject())
    return false;
  const QJsonObject o = doc.object();
  QString why;
  if (!elementsFromJson(o.value(kElemsKey), &m->elems, &why))
    return false;
  const QJsonValue ext = o.value(kPushExtKey);
  if (!ext.isUndefined() && (!ext.isString() || ext.toString().size() > kMaxPushExt))
    return false;
  m->hasOfflinePush = ext.isString();
  m->offlinePushExt = ext.toString();
  return true;
}

qint64 xmppServerTimeMs(const QString &stanzaId, qint64 nowMs) {
  bool ok = false;
  const qint64 micros = stanzaId.toLongLong(&ok);
  if (ok && micros >= kMinMicros && micros <= kMaxMicros)
    return micros / 1000;
  return nowMs;
}

} // namespace hubproto

#include "protocol/immessage.h"

#include "protocol/protocol.h"

#include <QJsonValue>

#include <cmath>

namespace hubproto {

namespace {

bool isUtf8(const QByteArray &bytes) { return QString::fromUtf8(bytes).toUtf8() == bytes; }

void putBytes(QJsonObject &o, const QByteArray &bytes) {
  if (isUtf8(bytes))
    o.insert(QStringLiteral("data"), QString::fromUtf8(bytes));
  else
    o.insert(QStringLiteral("data64"), QString::fromLatin1(bytes.toBase64()));
}

// "data" (UTF-8 text) or "data64" (Base64); absent means empty.
bool takeBytes(const QJsonObject &o, QByteArray *out, QString *error) {
  const QJsonValue text = o.value(QLatin1String("data"));
  const QJsonValue b64 = o.value(QLatin1String("data64"));
  if (text.isString()) {
    *out = text.toString().toUtf8();
    return true;
  }
  if (b64.isString()) {
    auto result = QByteArray::fromBase64Encoding(b64.toString().toLatin1(),
                                                 QByteArray::AbortOnBase64DecodingErrors);
    if (!result) {
      *error = QStringLiteral("data64 is not Base64");
      return false;
    }
    *out = *result;
    return true;
  }
  if (!text.isUndefined() || !b64.isUndefined()) {
    *error = QStringLiteral("data must be a string");
    return false;
  }
  out->clear();
  return true;
}

bool optionalString(const QJsonObject &o, const char *key, QString *out, QString *error) {
  const QJsonValue v = o.value(QLatin1String(key));
  if (v.isUndefined()) {
    out->clear();
    return true;
  }
  if (!v.isString()) {
    *error = QStringLiteral("%1 must be a string").arg(QLatin1String(key));
    return false;
  }
  *out = v.toString();
  return true;
}

bool readInt32(const QJsonValue &v, int *out) {
  if (!v.isDouble())
    return false;
  const double d = v.toDouble();
  if (!(d >= -2147483648.0 && d <= 2147483647.0) || std::floor(d) != d)
    return false;
  *out = static_cast<int>(d);
  return true;
}

} // namespace

bool Element::operator==(const Element &o) const {
  return kind == o.kind && text == o.text && data == o.data && ext == o.ext &&
         faceIndex == o.faceIndex && name == o.name;
}

QJsonObject elementToJson(const Element &e) {
  QJsonObject o;
  switch (e.kind) {
  case Element::Text:
    o.insert(QStringLiteral("type"), QStringLiteral("text"));
    o.insert(QStringLiteral("text"), e.text);
    break;
  case Element::Custom:
    o.insert(QStringLiteral("type"), QStringLiteral("custom"));
    putBytes(o, e.data);
    o.insert(QStringLiteral("ext"), e.ext);
    break;
  case Element::Face:
    o.insert(QStringLiteral("type"), QStringLiteral("face"));
    o.insert(QStringLiteral("index"), e.faceIndex);
    putBytes(o, e.data);
    break;
  case Element::File:
    o.insert(QStringLiteral("type"), QStringLiteral("file"));
    o.insert(QStringLiteral("name"), e.name);
    o.insert(QStringLiteral("data64"), QString::fromLatin1(e.data.toBase64()));
    break;
  }
  return o;
}

bool elementFromJson(const QJsonValue &v, Element *e, QString *error) {
  if (!v.isObject()) {
    *error = QStringLiteral("element must be an object");
    return false;
  }
  const QJsonObject o = v.toObject();
  const QString type = o.value(QLatin1String("type")).toString();
  *e = Element();
  if (type == QLatin1String("text")) {
    e->kind = Element::Text;
    if (!readString(o, "text", &e->text)) {
      *error = QStringLiteral("text element without text");
      return false;
    }
    return true;
  }
  if (type == QLatin1String("custom")) {
    e->kind = Element::Custom;
    return takeBytes(o, &e->data, error) && optionalString(o, "ext", &e->ext, error);
  }
  if (type == QLatin1String("face")) {
    e->kind = Element::Face;
    if (!readInt32(o.value(QLatin1String("index")), &e->faceIndex)) {
      *error = QStringLiteral("face element without an integer index");
      return false;
    }
    return takeBytes(o, &e->data, error);
  }
  if (type == QLatin1String("file")) {
    e->kind = Element::File;
    return optionalString(o, "name", &e->name, error) && takeBytes(o, &e->data, error);
  }
  *error = QStringLiteral("unknown element type");
  return false;
}

QJsonArray elementsToJson(const QVector<Element> &elems) {
  QJsonArray a;
  for (const Element &e : elems)
    a.append(elementToJson(e));
  return a;
}

bool elementsFromJson(const QJsonValue &v, QVector<Element> *elems, QString *error) {
  if (!v.isArray()) {
    *error = QStringLiteral("elems must be a list");
    return false;
  }
  const QJsonArray a = v.toArray();
  if (a.isEmpty() || a.size() > kMaxElements) {
    *error = QStringLiteral("a message has 1 to %1 elements").arg(kMaxElements);
    return false;
  }
  elems->clear();
  elems->reserve(a.size());
  for (const QJsonValue &item : a) {
    Element e;
    if (!elementFromJson(item, &e, error))
      return false;
    elems->append(e);
  }
  return true;
}

QJsonObject conversationToJson(const Conversation &c) {
  QJsonObject o;
  o.insert(QStringLiteral("type"),
           c.type == Conversation::Group ? QStringLiteral("group") : QStringLiteral("c2c"));
  o.insert(QStringLiteral("peer"), c.peer);
  return o;
}

bool conversationFromJson(const QJsonValue &v, Conversation *c, QString *error) {
  const QJsonObject o = v.toObject();
  const QString type = o.value(QLatin1String("type")).toString();
  if (type == QLatin1String("group"))
    c->type = Conversation::Group;
  else if (type == QLatin1String("c2c"))
    c->type = Conversation::C2C;
  else {
    *error = QStringLiteral("conv.type must be group or c2c");
    return false;
  }
  if (!readString(o, "peer", &c->peer) || c->peer.isEmpty()) {
    *error = QStringLiteral("conv.peer must be a non-empty string");
    return false;
  }
  return true;
}

QJsonObject messageToJson(const ImMessage &m) {
  QJsonObject o = makeNotice(QStringLiteral("message"));
  o.insert(QStringLiteral("conv"), conversationToJson(m.conv));
  o.insert(QStringLiteral("from"), m.from);
  o.insert(QStringLiteral("time"), static_cast<qint64>(m.time));
  o.insert(QStringLiteral("timeMs"), m.timeMs);
  o.insert(QStringLiteral("seq"), static_cast<qint64>(m.seq));
  o.insert(QStringLiteral("elems"), elementsToJson(m.elems));
  if (m.hasOfflinePush)
    o.insert(QStringLiteral("offlinePushExt"), m.offlinePushExt);
  return o;
}

bool messageFromJson(const QJsonObject &o, ImMessage *m, QString *error) {
  if (!conversationFromJson(o.value(QLatin1String("conv")), &m->conv, error))
    return false;
  if (!readString(o, "from", &m->from)) {
    *error = QStringLiteral("message without sender");
    return false;
  }
  if (!readUInt32(o, "time", &m->time)) {
    *error = QStringLiteral("message without time");
    return false;
  }
  // Both are the hub's stamps; a number out of range (which no cast survives) reads as 0.
  qint64 number = 0;
  m->timeMs = readId(o.value(QLatin1String("timeMs")), &number) ? number : 0;
  m->seq = readId(o.value(QLatin1String("seq")), &number) ? static_cast<quint64>(number) : 0;
  const QJsonValue push = o.value(QLatin1String("offlinePushExt"));
  m->hasOfflinePush = push.isString();
  m->offlinePushExt = push.toString();
  return elementsFromJson(o.value(QLatin1String("elems")), &m->elems, error);
}

} // namespace hubproto

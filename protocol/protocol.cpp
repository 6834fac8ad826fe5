#include "protocol/protocol.h"

#include <QJsonDocument>
#include <QJsonValue>

#include <cmath>

namespace hubproto {

const char kRoleGuest[] = "Guest";
const char kRoleLiveGuest[] = "LiveGuest";
const char kRoleLiveMaster[] = "LiveMaster";

namespace {
const char *const kSourceNames[kSourceCount] = {"audio", "camera", "screen", "media"};
constexpr double kMaxExactInteger = 9007199254740992.0; // 2^53
} // namespace

QString sourceName(Source source) {
  const int i = static_cast<int>(source);
  return i >= 0 && i < kSourceCount ? QString::fromLatin1(kSourceNames[i]) : QString();
}

bool sourceFromName(const QString &name, Source *source) {
  for (int i = 0; i < kSourceCount; ++i) {
    if (name == QLatin1String(kSourceNames[i])) {
      *source = static_cast<Source>(i);
      return true;
    }
  }
  return false;
}

bool isKnownRole(const QString &role) {
  return role == QLatin1String(kRoleGuest) || role == QLatin1String(kRoleLiveGuest) ||
         role == QLatin1String(kRoleLiveMaster);
}

bool roleMayPublish(const QString &role) {
  return role == QLatin1String(kRoleLiveGuest) || role == QLatin1String(kRoleLiveMaster);
}

QByteArray encode(QJsonObject message) {
  message.insert(QStringLiteral("v"), kVersion);
  return QJsonDocument(message).toJson(QJsonDocument::Compact);
}

QJsonObject makeReply(qint64 id, int code, const QString &desc) {
  QJsonObject o;
  o.insert(QStringLiteral("type"), QStringLiteral("reply"));
  o.insert(QStringLiteral("id"), id);
  o.insert(QStringLiteral("code"), code);
  o.insert(QStringLiteral("desc"), desc);
  return o;
}

QJsonObject makeNotice(const QString &type) {
  QJsonObject o;
  o.insert(QStringLiteral("type"), type);
  return o;
}

QJsonObject makeError(int code, const QString &desc, qint64 id) {
  QJsonObject o = makeNotice(QStringLiteral("error"));
  o.insert(QStringLiteral("code"), code);
  o.insert(QStringLiteral("desc"), desc);
  if (id > 0)
    o.insert(QStringLiteral("id"), id);
  return o;
}

bool readId(const QJsonValue &v, qint64 *out) {
  if (!v.isDouble())
    return false;
  const double d = v.toDouble();
  if (!(d >= 1 && d <= kMaxExactInteger) || std::floor(d) != d)
    return false;
  *out = static_cast<qint64>(d);
  return true;
}

bool readString(const QJsonObject &o, const char *key, QString *out) {
  const QJsonValue v = o.value(QLatin1String(key));
  if (!v.isString())
    return false;
  *out = v.toString();
  return true;
}

bool readUInt32(const QJsonObject &o, const char *key, quint32 *out) {
  const QJsonValue v = o.value(QLatin1String(key));
  if (!v.isDouble())
    return false;
  const double d = v.toDouble();
  if (!(d >= 0 && d <= 4294967295.0) || std::floor(d) != d)
    return false;
  *out = static_cast<quint32>(d);
  return true;
}

bool parseEnvelope(const QByteArray &text, Envelope *out, int *code, QString *desc) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) {
    *code = Malformed;
    *desc = QStringLiteral("malformed JSON: not an object");
    return false;
  }
  out->body = doc.object();
  if (!readId(out->body.value(QLatin1String("id")), &out->id))
    out->id = 0;
  const QJsonValue version = out->body.value(QLatin1String("v"));
  if (!version.isDouble() || version.toDouble() != kVersion) {
    *code = BadVersion;
    *desc = QStringLiteral("unsupported protocol version (this hub speaks %1)").arg(kVersion);
    return false;
  }
  if (!readString(out->body, "type", &out->type) || out->type.isEmpty()) {
    *code = BadArgument;
    *desc = QStringLiteral("missing message type");
    return false;
  }
  return true;
}

} // namespace hubproto

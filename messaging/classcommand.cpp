#include "messaging/classcommand.h"

#include "protocol/classcommandcode.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QVariantMap>

const char *const ClassCommand::kExt = "LiveNotification";

namespace {

QString readActionParam(const QJsonValue &v) {
  if (v.isString())
    return v.toString();
  if (v.isDouble() || v.isBool())
    return v.toVariant().toString();
  return QString();
}

} // namespace

QByteArray ClassCommand::toJson(int userAction, const QString &actionParam) {
  QVariantMap map;
  map.insert(QStringLiteral("userAction"), userAction);
  map.insert(QStringLiteral("actionParam"), actionParam);
  return QJsonDocument(QJsonObject::fromVariantMap(map)).toJson(QJsonDocument::Indented);
}

bool ClassCommand::parse(const QByteArray &utf8, ClassCommand *out) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(utf8, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject())
    return false;
  const QJsonObject obj = doc.object();
  out->userAction = userActionFromJson(obj.value(QStringLiteral("userAction")));
  out->actionParam = readActionParam(obj.value(QStringLiteral("actionParam")));
  return true;
}

bool ClassCommand::parse(const QString &text, ClassCommand *out) {
  return parse(text.toUtf8(), out);
}

#include "messaging/classcommand.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QVariantMap>
#include <cmath>
#include <limits>

const char *const ClassCommand::kExt = "LiveNotification";

namespace {

int readUserAction(const QJsonValue &v) {
  if (v.isDouble()) {
    const double d = v.toDouble();
    // Guard the conversion: a double outside int's range (or NaN) cannot be cast.
    if (!std::isfinite(d) || d != std::trunc(d) || d < std::numeric_limits<int>::min() ||
        d > std::numeric_limits<int>::max())
      return 0;
    return static_cast<int>(d);
  }
  if (v.isString()) {
    bool ok = false;
    const int n = v.toString().trimmed().toInt(&ok);
    return ok ? n : 0;
  }
  return 0;
}

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
  out->userAction = readUserAction(obj.value(QStringLiteral("userAction")));
  out->actionParam = readActionParam(obj.value(QStringLiteral("actionParam")));
  return true;
}

bool ClassCommand::parse(const QString &text, ClassCommand *out) {
  return parse(text.toUtf8(), out);
}

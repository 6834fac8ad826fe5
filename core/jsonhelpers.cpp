#include "core/jsonhelpers.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonParseError>

QVariantMap jsonToMap(const QString &json) {
  QJsonObject object;
  return jsonToObject(json, &object) ? object.toVariantMap() : QVariantMap();
}

bool jsonToObject(const QString &json, QJsonObject *out) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8(), &error);
  if (error.error != QJsonParseError::NoError)
    qDebug("json parse error:%s,pos:%d", qUtf8Printable(error.errorString()), error.offset);
  if (!doc.isObject())
    return false;
  *out = doc.object();
  return true;
}

QString jsonToText(const QJsonObject &object) {
  return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

QString jsonToCompactText(const QJsonObject &object) {
  return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

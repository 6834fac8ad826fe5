#include "core/jsonhelpers.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonParseError>

QVariantMap jsonToMap(const QString &json) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8(), &error);
  if (error.error != QJsonParseError::NoError)
    qDebug("json parse error:%s,pos:%d", qUtf8Printable(error.errorString()), error.offset);
  return doc.isObject() ? doc.object().toVariantMap() : QVariantMap();
}

QString jsonToText(const QJsonObject &object) {
  return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

QString jsonToCompactText(const QJsonObject &object) {
  return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

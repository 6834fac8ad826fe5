#include "core/signinconfig.h"

#include "core/jsonhelpers.h"

#include <QJsonObject>

bool SignInConfig::parse(const QString &json, QVariantMap *config) {
  QJsonObject object;
  if (!jsonToObject(json, &object))
    return false;
  *config = object.toVariantMap();
  return true;
}

QString SignInConfig::version(const QVariantMap &config) { return config.value(QStringLiteral("ver")).toString(); }

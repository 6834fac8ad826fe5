#include "protocol/classcommandcode.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <cmath>
#include <limits>

int userActionFromJson(const QJsonValue &v) {
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

bool commandUserAction(const QByteArray &data, int *userAction) {
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject())
    return false;
  *userAction = userActionFromJson(doc.object().value(QLatin1String("userAction")));
  return true;
}

#include "teacher/fieldreader.h"

#include <QStringList>

#include <cmath>

FieldReader::FieldReader(const QJsonObject &object, const QString &where)
    : m_object(object), m_where(where) {}

void FieldReader::fail(const QString &problem) {
  if (m_error.isEmpty())
    m_error = m_where + QStringLiteral(": ") + problem;
}

bool FieldReader::take(const char *key, bool required) {
  m_read.insert(QLatin1String(key));
  if (!ok())
    return false;
  if (m_object.contains(QLatin1String(key)))
    return true;
  if (required)
    fail(QStringLiteral("\"%1\" is missing").arg(QLatin1String(key)));
  return false;
}

void FieldReader::wrongType(const char *key, const QString &expected) {
  fail(QStringLiteral("\"%1\" must be %2").arg(QLatin1String(key), expected));
}

void FieldReader::text(const char *key, QString *out, bool required) {
  if (!take(key, required))
    return;
  const QJsonValue v = m_object.value(QLatin1String(key));
  if (!v.isString())
    return wrongType(key, QStringLiteral("a text in double quotes"));
  *out = v.toString();
}

void FieldReader::whole(const char *key, int *out, int min, int max, bool required) {
  if (!take(key, required))
    return;
  const QJsonValue v = m_object.value(QLatin1String(key));
  const double d = v.toDouble();
  if (!v.isDouble() || !std::isfinite(d) || d != std::trunc(d) || d < min || d > max)
    return wrongType(key, QStringLiteral("a whole number from %1 to %2").arg(min).arg(max));
  *out = static_cast<int>(d);
}

void FieldReader::seconds(const char *key, int *outMs, double maxSeconds, bool required) {
  if (!take(key, required))
    return;
  const QJsonValue v = m_object.value(QLatin1String(key));
  const double d = v.toDouble();
  if (!v.isDouble() || !std::isfinite(d) || d < 0 || d > maxSeconds)
    return wrongType(key, QStringLiteral("a number of seconds from 0 to %1").arg(maxSeconds));
  *outMs = static_cast<int>(std::lround(d * 1000));
}

void FieldReader::flag(const char *key, bool *out) {
  if (!take(key, false))
    return;
  const QJsonValue v = m_object.value(QLatin1String(key));
  if (!v.isBool())
    return wrongType(key, QStringLiteral("true or false"));
  *out = v.toBool();
}

void FieldReader::array(const char *key, QJsonArray *out, bool required) {
  if (!take(key, required))
    return;
  const QJsonValue v = m_object.value(QLatin1String(key));
  if (!v.isArray())
    return wrongType(key, QStringLiteral("a list in square brackets"));
  *out = v.toArray();
}

void FieldReader::value(const char *key, QJsonValue *out, bool *present) {
  *present = take(key, false);
  if (*present)
    *out = m_object.value(QLatin1String(key));
}

bool FieldReader::finish() {
  if (!ok())
    return false;
  QStringList unknown;
  for (auto it = m_object.constBegin(); it != m_object.constEnd(); ++it)
    if (!m_read.contains(it.key()))
      unknown.append(it.key());
  if (!unknown.isEmpty()) {
    QStringList known = m_read.values();
    known.sort();
    fail(QStringLiteral("unknown member \"%1\" (this part takes: %2)")
             .arg(unknown.first(), known.join(QStringLiteral(", "))));
  }
  return ok();
}

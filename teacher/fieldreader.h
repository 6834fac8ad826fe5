#pragma once
// Reads the members of one JSON object of a scenario with messages a person can act on. The
// first problem is kept and later reads do nothing, so a caller reads every member and checks
// ok() once. Members nobody asked for are reported by finish(): a misspelt key is an error,
// not a silently ignored line.

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QString>

class FieldReader {
public:
  // where names the object in messages, e.g. "step 4 (\"chat\")".
  FieldReader(const QJsonObject &object, const QString &where);

  // A missing member leaves *out as it is unless required.
  void text(const char *key, QString *out, bool required = false);
  void whole(const char *key, int *out, int min, int max, bool required = false);
  // A number of seconds (fractions allowed) from 0 to maxSeconds, as milliseconds.
  void seconds(const char *key, int *outMs, double maxSeconds, bool required = false);
  void flag(const char *key, bool *out);
  void array(const char *key, QJsonArray *out, bool required = false);
  // Any JSON value; *present tells whether the member was there.
  void value(const char *key, QJsonValue *out, bool *present);

  bool has(const char *key) const { return m_object.contains(QLatin1String(key)); }
  void fail(const QString &problem);
  // Reports the first member no reader asked for.
  bool finish();

  bool ok() const { return m_error.isEmpty(); }
  QString error() const { return m_error; }

private:
  // Marks key as read; false when the member is absent (then required makes it an error).
  bool take(const char *key, bool required);
  void wrongType(const char *key, const QString &expected);

  QJsonObject m_object;
  QString m_where;
  QSet<QString> m_read;
  QString m_error;
};

#include "teacher/scenariovariables.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
const QString kOpen = QStringLiteral("${");
const QString kNameSuffix = QStringLiteral(".name");
} // namespace

QStringList ScenarioVariables::names() const {
  QStringList plain;
  for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
    if (!it.key().endsWith(kNameSuffix))
      plain.append(it.key());
  return plain;
}

QStringList ScenarioVariables::builtInNames() {
  // static: the service's static content host, where pictures for the chat live.
  return {QStringLiteral("me"), QStringLiteral("myName"), QStringLiteral("room"), QStringLiteral("static")};
}

bool ScenarioVariables::isValidName(const QString &name) {
  if (name.isEmpty() || name.at(0).isDigit())
    return false;
  for (const QChar c : name)
    if (!(c == QLatin1Char('_') || (c.unicode() < 128 && c.isLetterOrNumber())))
      return false;
  return true;
}

bool ScenarioVariables::references(const QString &text, QStringList *names, QString *problem) {
  int from = 0;
  while (true) {
    const int open = text.indexOf(kOpen, from);
    if (open < 0)
      return true;
    const int close = text.indexOf(QLatin1Char('}'), open + 2);
    if (close < 0) {
      *problem = QStringLiteral("\"${\" without a closing \"}\" in \"%1\"").arg(text);
      return false;
    }
    const QString reference = text.mid(open + 2, close - open - 2);
    const QString name = reference.section(QLatin1Char('.'), 0, 0);
    const QString suffix = reference.mid(name.size());
    if (!isValidName(name) || (!suffix.isEmpty() && suffix != kNameSuffix)) {
      *problem = QStringLiteral("\"${%1}\" is not a variable (a name of letters, digits and _, "
                                "optionally followed by .name)").arg(reference);
      return false;
    }
    names->append(name);
    from = close + 1;
  }
}

bool ScenarioVariables::references(const QJsonValue &value, QStringList *names, QString *problem) {
  if (value.isString())
    return references(value.toString(), names, problem);
  if (value.isArray()) {
    for (const QJsonValue &item : value.toArray())
      if (!references(item, names, problem))
        return false;
  }
  if (value.isObject()) {
    const QJsonObject o = value.toObject();
    for (auto it = o.constBegin(); it != o.constEnd(); ++it)
      if (!references(it.key(), names, problem) || !references(it.value(), names, problem))
        return false;
  }
  return true;
}

QString ScenarioVariables::expand(const QString &text) const {
  QString out;
  int from = 0;
  while (true) {
    const int open = text.indexOf(kOpen, from);
    const int close = open < 0 ? -1 : text.indexOf(QLatin1Char('}'), open + 2);
    if (close < 0) {
      out += text.midRef(from);
      return out;
    }
    out += text.midRef(from, open - from);
    out += m_values.value(text.mid(open + 2, close - open - 2));
    from = close + 1;
  }
}

QJsonValue ScenarioVariables::expand(const QJsonValue &value) const {
  if (value.isString())
    return expand(value.toString());
  if (value.isArray()) {
    QJsonArray out;
    for (const QJsonValue &item : value.toArray())
      out.append(expand(item));
    return out;
  }
  if (value.isObject()) {
    const QJsonObject o = value.toObject();
    QJsonObject out;
    for (auto it = o.constBegin(); it != o.constEnd(); ++it)
      out.insert(expand(it.key()), expand(it.value()));
    return out;
  }
  return value;
}

#pragma once
// ${name} references in a scenario's texts. Built in: ${me} (the teacher's user id),
// ${myName} (the teacher's name) and ${room} (the room id); a waiting step's "as" sets
// another name to the user it matched, for the steps after it. ${name.name} is the display
// name of that user (kept up to date by the runner, which sets "name.name" values).

#include <QHash>
#include <QJsonValue>
#include <QString>
#include <QStringList>

class ScenarioVariables {
public:
  static QStringList builtInNames();
  static bool isValidName(const QString &name);

  // The names text refers to, in order. False, with *problem, for a "${" that does not
  // close or a name that is not one (letters, digits and "_", not starting with a digit).
  static bool references(const QString &text, QStringList *names, QString *problem);
  // The same for every text inside a JSON value (keys of objects included).
  static bool references(const QJsonValue &value, QStringList *names, QString *problem);

  void set(const QString &name, const QString &value) { m_values.insert(name, value); }
  QString value(const QString &name) const { return m_values.value(name); }
  bool contains(const QString &name) const { return m_values.contains(name); }
  QStringList names() const; // the names set, without the ".name" companions

  // Replaces each reference by its value (an unset name by nothing). Texts inside JSON values
  // are expanded the same way.
  QString expand(const QString &text) const;
  QJsonValue expand(const QJsonValue &value) const;

private:
  QHash<QString, QString> m_values;
};

#pragma once
// Reads a scenario file (docs/teacher.md) and checks all of it before anything runs: JSON
// syntax with line and column, every step's members and their types, misspelt keys, and
// ${name} references that no earlier step sets.

#include "teacher/scenario.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

class FieldReader;

class ScenarioReader {
public:
  // Messages start with the file's path.
  static bool readFile(const QString &path, Scenario *out, QString *error);
  static bool read(const QByteArray &json, Scenario *out, QString *error);

  static QStringList stepKindNames();

private:
  ScenarioReader(Scenario *out) : m_out(out) {}
  bool readRoot(const QJsonObject &root);
  bool readSlide(const QJsonValue &value);
  bool readStep(const QJsonValue &value, int number);
  void readKind(FieldReader &f, ScenarioStep &step);
  void readClassmate(FieldReader &f, ScenarioStep &step);
  void readWaitCommand(FieldReader &f, ScenarioStep &step);
  void readCommand(FieldReader &f, ScenarioStep &step);
  void readChat(FieldReader &f, ScenarioStep &step);
  void readReward(FieldReader &f, ScenarioStep &step);
  void readRoster(FieldReader &f, ScenarioStep &step);
  void readSource(FieldReader &f, ScenarioStep &step);
  void readCapture(FieldReader &f, ScenarioStep &step);
  void readTimeout(FieldReader &f, ScenarioStep &step);
  void checkReferences(FieldReader &f, const QJsonObject &object);
  void checkRoom(FieldReader &f, StepKind kind);

  Scenario *m_out;
  QStringList m_defined; // variables set so far (built-ins and earlier "as")
  QString m_error;
  bool m_inRoom = false; // at the step being read
};

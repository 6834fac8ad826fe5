#pragma once
// Runs a scenario given as JSON text as teacher "t1" (周老师) on an in-process hub and keeps
// what it printed.

#include "teacher/scenariorunner.h"

#include <QByteArray>
#include <QStringList>

#include <memory>

class Hub;

extern const QByteArray kTeacherTestSecret;
constexpr quint32 kTeacherTestRoom = 300101;

class TeacherRun {
public:
  // False (with the reader's message in error) when the scenario does not read.
  bool start(Hub *hub, const QByteArray &json, const QByteArray &secret = kTeacherTestSecret);
  bool waitFinished(int ms = 15000);
  int exitCode() const { return runner ? runner->exitCode() : -1; }
  // Lines that name a step ("[n/N] ...").
  QStringList stepLines() const;
  bool printed(const QString &part) const;

  QString previewUrl; // for the whiteboard's documents; set before start
  std::unique_ptr<ScenarioRunner> runner;
  QStringList lines;
  QStringList warnings;
  QString error;
};

#pragma once
// scripts/engines.sh for one engine of a test program: start and stop in a state folder, with
// the engine's environment, each run bounded in time. A start that fails stops whatever of the
// engine did start.

#include <QProcessEnvironment>
#include <QString>

class EngineScript {
public:
  EngineScript(QString engine, QString stateDir, int timeoutMs);

  // A loopback port free at the time of asking, for an engine's listener.
  static quint16 freePort();

  bool start(const QProcessEnvironment &env);
  bool stop();
  bool isRunning() const { return m_running; }
  QString errorString() const { return m_error; }

private:
  bool run(const QString &command);

  QString m_engine;
  QString m_stateDir;
  int m_timeoutMs;
  QProcessEnvironment m_env;
  bool m_running = false;
  QString m_error;
};

#include "support/enginescript.h"

#include "support/testenv.h"

#include <QProcess>
#include <QTcpServer>

EngineScript::EngineScript(QString engine, QString stateDir, int timeoutMs)
    : m_engine(std::move(engine)), m_stateDir(std::move(stateDir)), m_timeoutMs(timeoutMs) {}

bool EngineScript::run(const QString &command) {
  QProcess script;
  script.setProcessEnvironment(m_env);
  script.setProcessChannelMode(QProcess::MergedChannels);
  script.start(QStringLiteral("bash"),
               {testenv::sourceDir() + QStringLiteral("/scripts/engines.sh"), command, m_stateDir, m_engine});
  const bool finished = script.waitForFinished(m_timeoutMs);
  if (!finished || script.exitCode() != 0) {
    m_error = QStringLiteral("engines.sh %1 %2: %3").arg(command, m_engine, QString::fromUtf8(script.readAll()));
    if (!finished)
      script.kill();
    return false;
  }
  return true;
}

bool EngineScript::start(const QProcessEnvironment &env) {
  m_env = env;
  m_running = run(QStringLiteral("start"));
  if (!m_running) {
    const QString why = m_error;
    run(QStringLiteral("stop"));
    m_error = why;
  }
  return m_running;
}

bool EngineScript::stop() {
  if (!m_running)
    return true;
  m_running = false;
  return run(QStringLiteral("stop"));
}

quint16 EngineScript::freePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

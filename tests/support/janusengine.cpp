#include "support/janusengine.h"

#include "support/testenv.h"

#include <QFile>
#include <QProcess>
#include <QTcpServer>

namespace {
// Janus is up in a fraction of a second; a machine busy building may take far longer.
constexpr int kScriptTimeoutMs = 60000;

quint16 freePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}
} // namespace

JanusEngine::JanusEngine() : m_wsPort(freePort()), m_httpPort(freePort()), m_adminPort(freePort()) {}

JanusEngine::~JanusEngine() { stop(); }

bool JanusEngine::run(const QString &command) {
  QProcess script;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("JANUS_WS_PORT"), QString::number(m_wsPort));
  env.insert(QStringLiteral("JANUS_HTTP_PORT"), QString::number(m_httpPort));
  env.insert(QStringLiteral("JANUS_ADMIN_PORT"), QString::number(m_adminPort));
  env.insert(QStringLiteral("JANUS_API_SECRET"), QString::fromLatin1(apiSecret()));
  env.insert(QStringLiteral("JANUS_ADMIN_SECRET"), QString::fromLatin1(adminSecret()));
  env.insert(QStringLiteral("JANUS_ROOM_KEY"), QString::fromLatin1(roomKey()));
  script.setProcessEnvironment(env);
  script.setProcessChannelMode(QProcess::MergedChannels);
  script.start(QStringLiteral("bash"), {testenv::sourceDir() + QStringLiteral("/scripts/engines.sh"), command,
                                        m_state.path() + QStringLiteral("/janus"), QStringLiteral("janus")});
  const bool finished = script.waitForFinished(kScriptTimeoutMs);
  if (!finished || script.exitCode() != 0) {
    m_error = QStringLiteral("engines.sh %1 janus: %2").arg(command, QString::fromUtf8(script.readAll()));
    if (!finished)
      script.kill();
    return false;
  }
  return true;
}

bool JanusEngine::start() {
  m_running = run(QStringLiteral("start"));
  if (!m_running) {
    const QString why = m_error;
    run(QStringLiteral("stop"));
    m_error = why;
  }
  return m_running;
}

bool JanusEngine::stop() {
  if (!m_running)
    return true;
  m_running = false;
  return run(QStringLiteral("stop"));
}

QString JanusEngine::wsUrl() const { return QStringLiteral("ws://127.0.0.1:%1").arg(m_wsPort); }
QString JanusEngine::apiUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_httpPort); }
QString JanusEngine::adminUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_adminPort); }

void JanusEngine::exportServiceEnvironment() const {
  qputenv("TARNWICK_JANUS_API_SECRET", apiSecret());
  qputenv("TARNWICK_JANUS_ADMIN_SECRET", adminSecret());
  qputenv("TARNWICK_JANUS_ROOM_KEY", roomKey());
}

QStringList JanusEngine::serviceArgs() const {
  return {QStringLiteral("--janus"), wsUrl(), QStringLiteral("--janus-api"), apiUrl(), QStringLiteral("--janus-admin"),
          adminUrl()};
}

QByteArray JanusEngine::log() const {
  QFile f(m_state.path() + QStringLiteral("/janus/log/janus.log"));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

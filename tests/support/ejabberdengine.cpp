#include "support/ejabberdengine.h"

#include "support/testenv.h"

#include <QProcess>
#include <QTcpServer>

namespace {
// ejabberd starts in seconds, but a machine busy building may take far longer.
constexpr int kScriptTimeoutMs = 180000;

quint16 freePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}
} // namespace

EjabberdEngine::EjabberdEngine() : m_c2sPort(freePort()), m_apiPort(freePort()), m_distPort(freePort()) {
  // The node runs as the ejabberd user, which must reach the state folder.
  m_state.setAutoRemove(true);
  QFile::setPermissions(m_state.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                            QFileDevice::ReadOther | QFileDevice::ExeOther);
}

EjabberdEngine::~EjabberdEngine() { stop(); }

bool EjabberdEngine::run(const QString &command) {
  QProcess script;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("EJABBERD_HOST"), domain());
  env.insert(QStringLiteral("EJABBERD_C2S_PORT"), QString::number(m_c2sPort));
  env.insert(QStringLiteral("EJABBERD_API_PORT"), QString::number(m_apiPort));
  env.insert(QStringLiteral("EJABBERD_DIST_PORT"), QString::number(m_distPort));
  env.insert(QStringLiteral("EJABBERD_SECRET"), QString::fromLatin1(apiSecret()));
  env.insert(QStringLiteral("EJABBERD_JWT_SECRET"), QString::fromLatin1(jwtSecret()));
  script.setProcessEnvironment(env);
  script.setProcessChannelMode(QProcess::MergedChannels);
  script.start(QStringLiteral("bash"), {testenv::sourceDir() + QStringLiteral("/scripts/engines.sh"), command,
                                        m_state.path() + QStringLiteral("/ejabberd")});
  const bool finished = script.waitForFinished(kScriptTimeoutMs);
  if (!finished || script.exitCode() != 0) {
    m_error = QStringLiteral("engines.sh %1: %2").arg(command, QString::fromUtf8(script.readAll()));
    if (!finished)
      script.kill();
    return false;
  }
  return true;
}

bool EjabberdEngine::start() {
  m_running = run(QStringLiteral("start"));
  if (!m_running) {
    const QString why = m_error;
    run(QStringLiteral("stop")); // whatever of it did start
    m_error = why;
  }
  return m_running;
}

bool EjabberdEngine::stop() {
  if (!m_running)
    return true;
  m_running = false;
  return run(QStringLiteral("stop"));
}

QString EjabberdEngine::xmppUrl() const {
  return QStringLiteral("xmpp://127.0.0.1:%1/%2").arg(m_c2sPort).arg(domain());
}

QString EjabberdEngine::apiUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_apiPort); }

void EjabberdEngine::exportServiceEnvironment() const {
  qputenv("TARNWICK_XMPP_API_SECRET", apiSecret());
  qputenv("TARNWICK_XMPP_JWT_SECRET", jwtSecret());
}

QStringList EjabberdEngine::serviceArgs() const {
  return {QStringLiteral("--xmpp"), xmppUrl(), QStringLiteral("--xmpp-api"), apiUrl()};
}

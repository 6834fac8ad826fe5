#include "support/janusengine.h"

#include "support/localservice.h"
#include "support/testenv.h"

#include <QFile>
#include <QProcess>

namespace {
// Janus is up in a fraction of a second; a machine busy building may take far longer.
constexpr int kScriptTimeoutMs = 60000;
} // namespace

JanusEngine::JanusEngine()
    : m_wsPort(EngineScript::freePort()), m_httpPort(EngineScript::freePort()), m_adminPort(EngineScript::freePort()),
      m_script(QStringLiteral("janus"), m_state.path() + QStringLiteral("/janus"), kScriptTimeoutMs) {}

JanusEngine::~JanusEngine() { stop(); }

bool JanusEngine::start() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("JANUS_WS_PORT"), QString::number(m_wsPort));
  env.insert(QStringLiteral("JANUS_HTTP_PORT"), QString::number(m_httpPort));
  env.insert(QStringLiteral("JANUS_ADMIN_PORT"), QString::number(m_adminPort));
  env.insert(QStringLiteral("JANUS_API_SECRET"), QString::fromLatin1(apiSecret()));
  env.insert(QStringLiteral("JANUS_ADMIN_SECRET"), QString::fromLatin1(adminSecret()));
  env.insert(QStringLiteral("JANUS_ROOM_KEY"), QString::fromLatin1(roomKey()));
  return m_script.start(env);
}

bool JanusEngine::stop() { return m_script.stop(); }

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

std::unique_ptr<LocalService> JanusEngine::makeService() const {
  exportServiceEnvironment();
  return std::make_unique<LocalService>(serviceArgs());
}

bool JanusEngine::setUdpLoss(int percent) {
  return QProcess::execute(QStringLiteral("bash"), {testenv::sourceDir() + QStringLiteral("/scripts/netns.sh"),
                                                    QStringLiteral("loss"), QString::number(percent)}) == 0;
}

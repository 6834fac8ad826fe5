#include "support/ejabberdengine.h"

#include "support/localservice.h"

#include <QFile>

namespace {
// ejabberd starts in seconds, but a machine busy building may take far longer.
constexpr int kScriptTimeoutMs = 180000;
} // namespace

EjabberdEngine::EjabberdEngine()
    : m_c2sPort(EngineScript::freePort()), m_apiPort(EngineScript::freePort()), m_distPort(EngineScript::freePort()),
      m_script(QStringLiteral("ejabberd"), m_state.path() + QStringLiteral("/ejabberd"), kScriptTimeoutMs) {
  // The node runs as the ejabberd user, which must reach the state folder.
  m_state.setAutoRemove(true);
  QFile::setPermissions(m_state.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                            QFileDevice::ReadOther | QFileDevice::ExeOther);
}

EjabberdEngine::~EjabberdEngine() { stop(); }

bool EjabberdEngine::start() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("EJABBERD_HOST"), domain());
  env.insert(QStringLiteral("EJABBERD_C2S_PORT"), QString::number(m_c2sPort));
  env.insert(QStringLiteral("EJABBERD_API_PORT"), QString::number(m_apiPort));
  env.insert(QStringLiteral("EJABBERD_DIST_PORT"), QString::number(m_distPort));
  env.insert(QStringLiteral("EJABBERD_SECRET"), QString::fromLatin1(apiSecret()));
  env.insert(QStringLiteral("EJABBERD_JWT_SECRET"), QString::fromLatin1(jwtSecret()));
  return m_script.start(env);
}

bool EjabberdEngine::stop() { return m_script.stop(); }

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

std::unique_ptr<LocalService> EjabberdEngine::startService(QString *error) const {
  exportServiceEnvironment();
  auto service = std::make_unique<LocalService>(serviceArgs());
  if (service->start())
    return service;
  *error = service->errorString();
  return nullptr;
}

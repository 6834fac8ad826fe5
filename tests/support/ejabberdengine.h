#pragma once
// One ejabberd for a test program, started with scripts/engines.sh on free loopback ports in
// a temporary state folder, stopped when the fixture goes. Starting takes seconds: make one
// per test program, not per case.

#include "support/enginescript.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class LocalService;

class EjabberdEngine {
public:
  EjabberdEngine();
  ~EjabberdEngine();
  EjabberdEngine(const EjabberdEngine &) = delete;
  EjabberdEngine &operator=(const EjabberdEngine &) = delete;

  bool start();
  bool stop();
  // stop() then start() on the same ports and spool (accounts and rooms survive).
  bool restart() { return stop() && start(); }
  bool isRunning() const { return m_script.isRunning(); }
  QString errorString() const { return m_script.errorString(); }

  QString domain() const { return QStringLiteral("tarnwick.test"); }
  quint16 c2sPort() const { return m_c2sPort; }
  QString xmppUrl() const;   // xmpp://127.0.0.1:<c2s>/<domain>, what the client is given
  QString apiUrl() const;    // http://127.0.0.1:<api>
  QByteArray apiSecret() const { return "test-api-secret"; }
  QByteArray jwtSecret() const { return "test-jwt-secret"; }
  // The environment tarnwick-local reads its XMPP values from, and its options.
  void exportServiceEnvironment() const;
  QStringList serviceArgs() const;
  // A running tarnwick-local that seats its classes' users on this server; null (with *error)
  // when it did not start.
  std::unique_ptr<LocalService> startService(QString *error) const;

private:
  QTemporaryDir m_state;
  quint16 m_c2sPort = 0;
  quint16 m_apiPort = 0;
  quint16 m_distPort = 0;
  EngineScript m_script;
};

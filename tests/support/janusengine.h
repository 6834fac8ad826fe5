#pragma once
// One Janus for a test program, started with scripts/engines.sh on free loopback ports in a
// temporary state folder, stopped when the fixture goes. Janus's ICE needs the private network
// namespace of scripts/netns.sh: register such tests with tarnwick_test(… NETNS).

#include "support/enginescript.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class LocalService;

class JanusEngine {
public:
  JanusEngine();
  ~JanusEngine();
  JanusEngine(const JanusEngine &) = delete;
  JanusEngine &operator=(const JanusEngine &) = delete;

  bool start();
  bool stop();
  QString errorString() const { return m_script.errorString(); }

  QString wsUrl() const;    // ws://127.0.0.1:<ws>, what members are sent to
  QString apiUrl() const;   // http://127.0.0.1:<http>
  QString adminUrl() const; // http://127.0.0.1:<admin>
  QByteArray apiSecret() const { return "test-janus-api-secret"; }
  QByteArray adminSecret() const { return "test-janus-admin-secret"; }
  QByteArray roomKey() const { return "test-janus-room-key"; }
  // The environment tarnwick-local reads its Janus secrets from, and its options.
  void exportServiceEnvironment() const;
  QStringList serviceArgs() const;
  // tarnwick-local making its classes' rooms on this Janus, not started yet.
  std::unique_ptr<LocalService> makeService() const;
  // Janus's log so far, for a failure's message.
  QByteArray log() const;
  // Drops that share of the UDP packets arriving in the test's namespace (0: none), through
  // scripts/netns.sh loss; false when the rule could not be set.
  static bool setUdpLoss(int percent);

private:
  QTemporaryDir m_state;
  quint16 m_wsPort = 0;
  quint16 m_httpPort = 0;
  quint16 m_adminPort = 0;
  EngineScript m_script;
};

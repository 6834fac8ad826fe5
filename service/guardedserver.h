#pragma once
// cpp-httplib's server with limits before anything is buffered: a time limit for a request's
// headers and one for its body (however slowly they trickle), a cap on the connections of one
// address, and more workers than one address may hold, so slow clients cannot make the
// service unreachable for the others.

#include "service/connectionlimits.h"

#include <httplib.h>

class GuardedServer : public httplib::Server {
public:
  explicit GuardedServer(const ConnectionLimits &limits = ConnectionLimits());

  const ConnectionLimits &limits() const { return m_limits; }
  int openFrom(const QString &address) const { return m_counter.openFrom(address); }

private:
  bool process_and_close_socket(socket_t sock) override;
  // Serves the requests of one admitted connection, as many as keep-alive allows.
  bool serve(socket_t sock);
  // Whether a next request starts within the idle time (false also once the server stops).
  bool requestWaiting(socket_t sock) const;

  ConnectionLimits m_limits;
  ConnectionCounter m_counter;
};

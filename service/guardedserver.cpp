#include "service/guardedserver.h"

#include "service/deadlinestream.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Polls in short steps, so a stopping server is noticed while a connection idles.
constexpr int kIdleStepMs = 100;
constexpr int kWriteMs = 5000;

QString peerOf(socket_t sock) {
  std::string ip;
  int port = 0;
  DeadlineStream(sock, 0, 0, 0).get_remote_ip_and_port(ip, port);
  return QString::fromStdString(ip);
}

} // namespace

GuardedServer::GuardedServer(const ConnectionLimits &limits) : m_limits(limits), m_counter(limits.perAddress) {
  const size_t workers = size_t(limits.workers);
  new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
  set_keep_alive_timeout(limits.idleMs / 1000);
}

bool GuardedServer::process_and_close_socket(socket_t sock) {
  const QString peer = peerOf(sock);
  bool served = false;
  if (m_counter.admit(peer)) {
    served = serve(sock);
    m_counter.release(peer);
  }
  ::shutdown(sock, SHUT_RDWR);
  ::close(sock);
  return served;
}

bool GuardedServer::requestWaiting(socket_t sock) const {
  for (int waited = 0; waited < m_limits.idleMs && svr_sock_ != INVALID_SOCKET; waited += kIdleStepMs) {
    pollfd p{sock, POLLIN, 0};
    const int n = ::poll(&p, 1, kIdleStepMs);
    if (n > 0) return true;
    if (n < 0 && errno != EINTR) return false;
  }
  return false;
}

bool GuardedServer::serve(socket_t sock) {
  DeadlineStream stream(sock, m_limits.headerMs, m_limits.bodyMs, kWriteMs,
                        [this] { return svr_sock_ == INVALID_SOCKET; });
  bool ok = false;
  for (size_t left = keep_alive_max_count_; left > 0 && requestWaiting(sock); --left) {
    stream.startRequest();
    bool closed = false;
    ok = process_request(stream, left == 1, closed, nullptr);
    if (!ok || closed || stream.overran()) break;
  }
  return ok;
}

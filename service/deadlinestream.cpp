#include "service/deadlinestream.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace {

constexpr std::uint32_t kHeaderEnd = 0x0d0a0d0a; // "\r\n\r\n"
constexpr int kStopStepMs = 100;

void addressOf(const sockaddr_storage &addr, std::string &ip, int &port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (addr.ss_family == AF_INET) {
    const auto &a = reinterpret_cast<const sockaddr_in &>(addr);
    ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof(text));
    port = ntohs(a.sin_port);
  } else if (addr.ss_family == AF_INET6) {
    const auto &a = reinterpret_cast<const sockaddr_in6 &>(addr);
    ::inet_ntop(AF_INET6, &a.sin6_addr, text, sizeof(text));
    port = ntohs(a.sin6_port);
  }
  ip = text;
}

} // namespace

DeadlineStream::DeadlineStream(int sock, int headerMs, int bodyMs, int writeMs, StopCheck stopping)
    : m_sock(sock), m_headerMs(headerMs), m_bodyMs(bodyMs), m_writeMs(writeMs), m_stopping(std::move(stopping)) {
  startRequest();
}

void DeadlineStream::startRequest() {
  m_inHeaders = true;
  m_tail = 0;
  m_deadline = Clock::now() + std::chrono::milliseconds(m_headerMs);
}

void DeadlineStream::watchHeaderEnd(const char *data, size_t size) {
  for (size_t i = 0; i < size && m_inHeaders; ++i) {
    m_tail = (m_tail << 8) | static_cast<unsigned char>(data[i]);
    if (m_tail == kHeaderEnd) {
      m_inHeaders = false;
      m_deadline = Clock::now() + std::chrono::milliseconds(m_bodyMs);
    }
  }
}

// Ready sockets are served even while stopping; only a wait is cut short. The poll's
// milliseconds are rounded up, so that a wait that runs out has reached until.
bool DeadlineStream::waitFor(short events, Clock::time_point until) const {
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{m_sock, events, 0};
    const int n = ::poll(&p, 1, int(m_stopping ? std::min<long long>(left, kStopStepMs) : left));
    if (n > 0) return p.revents & (events | POLLHUP | POLLERR);
    if (n < 0 && errno != EINTR) return false;
    if (m_stopping && m_stopping()) return false;
  }
}

bool DeadlineStream::is_readable() const {
  if (waitFor(POLLIN, m_deadline))
    return true;
  m_overran = m_overran || Clock::now() >= m_deadline;
  return false;
}

bool DeadlineStream::is_writable() const {
  return waitFor(POLLOUT, Clock::now() + std::chrono::milliseconds(m_writeMs));
}

ssize_t DeadlineStream::read(char *ptr, size_t size) {
  if (!is_readable()) return -1;
  ssize_t n;
  do n = ::recv(m_sock, ptr, size, 0);
  while (n < 0 && errno == EINTR);
  if (n > 0) watchHeaderEnd(ptr, size_t(n));
  return n;
}

ssize_t DeadlineStream::write(const char *ptr, size_t size) {
  if (!is_writable()) return -1;
  ssize_t n;
  do n = ::send(m_sock, ptr, size, MSG_NOSIGNAL);
  while (n < 0 && errno == EINTR);
  return n;
}

void DeadlineStream::get_remote_ip_and_port(std::string &ip, int &port) const {
  sockaddr_storage addr{};
  socklen_t len = sizeof(addr);
  if (::getpeername(m_sock, reinterpret_cast<sockaddr *>(&addr), &len) == 0) addressOf(addr, ip, port);
}

void DeadlineStream::get_local_ip_and_port(std::string &ip, int &port) const {
  sockaddr_storage addr{};
  socklen_t len = sizeof(addr);
  if (::getsockname(m_sock, reinterpret_cast<sockaddr *>(&addr), &len) == 0) addressOf(addr, ip, port);
}

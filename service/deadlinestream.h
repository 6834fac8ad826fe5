#pragma once
// One connection's socket as cpp-httplib's server reads and writes it, with time limits on
// the request as a whole: its headers must arrive within one limit, its body within another,
// however slowly the client trickles bytes. Reading past a limit fails, which ends the
// connection, and so does any wait once the server is stopping: a client that sent headers
// and holds back its body must not keep the service from shutting down.

#include <httplib.h>

#include <chrono>
#include <cstdint>
#include <functional>

class DeadlineStream : public httplib::Stream {
public:
  using Clock = std::chrono::steady_clock;

  using StopCheck = std::function<bool()>;

  DeadlineStream(int sock, int headerMs, int bodyMs, int writeMs, StopCheck stopping = StopCheck());

  // A new request begins: its headers are due headerMs from now.
  void startRequest();
  // Whether a read failed because its limit had passed. The library answers such a request
  // with 400 and would wait for the next one on the connection, giving a trickling client a
  // fresh limit each time: the connection must end instead.
  bool overran() const { return m_overran; }

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char *ptr, size_t size) override;
  ssize_t write(const char *ptr, size_t size) override;
  void get_remote_ip_and_port(std::string &ip, int &port) const override;
  void get_local_ip_and_port(std::string &ip, int &port) const override;
  int socket() const override { return m_sock; }

private:
  // Follows the bytes read for the blank line that ends the headers.
  void watchHeaderEnd(const char *data, size_t size);
  // Polls for events until then, in short steps that look at the stop check.
  bool waitFor(short events, Clock::time_point until) const;

  int m_sock;
  int m_headerMs;
  int m_bodyMs;
  int m_writeMs;
  StopCheck m_stopping;
  Clock::time_point m_deadline;
  bool m_inHeaders = true;
  mutable bool m_overran = false;
  std::uint32_t m_tail = 0; // the last four bytes read
};

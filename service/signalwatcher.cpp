#include "service/signalwatcher.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};

void onSignal(int number) {
  const unsigned char byte = static_cast<unsigned char>(number);
  // Nothing else is async-signal-safe enough to do here.
  const ssize_t written = ::write(g_pipe[1], &byte, 1);
  (void)written;
}
} // namespace

SignalWatcher::SignalWatcher(QObject *parent) : QObject(parent) {
  if (g_pipe[0] >= 0 || ::pipe(g_pipe) != 0) return;
  for (int fd : g_pipe) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
  m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::onReadable);
  struct sigaction sa = {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
}

SignalWatcher::~SignalWatcher() {
  if (!m_notifier) return;
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  delete m_notifier;
  m_notifier = nullptr;
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void SignalWatcher::onReadable() {
  unsigned char byte = 0;
  if (::read(g_pipe[0], &byte, 1) == 1) emit stopRequested(int(byte));
}

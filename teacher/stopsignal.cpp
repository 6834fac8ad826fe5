#include "teacher/stopsignal.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};

void onSignal(int number) {
  const unsigned char byte = static_cast<unsigned char>(number);
  // Only async-signal-safe calls here; a full pipe just loses a repeated signal.
  [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
}

void setHandler(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

} // namespace

StopSignal::StopSignal(QObject *parent) : QObject(parent) {
  if (g_pipe[0] >= 0 || ::pipe(g_pipe) != 0)
    return;
  for (int fd : g_pipe) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &StopSignal::onReadable);
  setHandler(onSignal);
}

StopSignal::~StopSignal() {
  if (!m_notifier)
    return;
  setHandler(SIG_DFL);
  delete m_notifier;
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

void StopSignal::onReadable() {
  unsigned char byte = 0;
  while (::read(g_pipe[0], &byte, 1) == 1)
    emit stopRequested(byte);
}

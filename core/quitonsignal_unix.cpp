#include "core/quitonsignal.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_fds[2] = {-1, -1};
std::atomic<bool> g_stopRequested{false};
const int kSignals[] = {SIGTERM, SIGINT};

void onStopSignal(int sig) {
  const char byte = char(sig);
  // Nothing else is safe here; a full pipe just means a quit is already on its way.
  [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &byte, 1);
}

} // namespace

bool stopRequested() { return g_stopRequested.load(); }

QuitOnSignal::QuitOnSignal(StopFn onStop, QObject *parent)
    : QObject(parent), onStop_(std::move(onStop)) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0) {
    qDebug("startup: no stop-signal pipe, errno %d", errno);
    return;
  }
  ::fcntl(g_fds[0], F_SETFL, O_NONBLOCK);
  notifier_ = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &QuitOnSignal::onSignal);
  struct sigaction sa = {};
  sa.sa_handler = onStopSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int sig : kSignals) ::sigaction(sig, &sa, nullptr);
}

QuitOnSignal::~QuitOnSignal() {
  if (!notifier_) return;
  for (int sig : kSignals) ::signal(sig, SIG_DFL);
  delete notifier_;
  ::close(g_fds[0]);
  ::close(g_fds[1]);
  g_fds[0] = g_fds[1] = -1;
}

void QuitOnSignal::onSignal() {
  char byte = 0;
  if (::read(g_fds[1], &byte, 1) != 1) return;
  signal_ = int(byte);
  if (g_stopRequested.exchange(true) || !onStop_) {
    leaveEventLoop();
    return;
  }
  qDebug("startup: signal %d, closing the windows", signal_);
  QTimer::singleShot(kGraceMs, this, [this] {
    qDebug("startup: the windows did not close in time");
    leaveEventLoop();
  });
  onStop_(this);
}

void QuitOnSignal::leaveEventLoop() {
  if (leaving_) return;
  leaving_ = true;
  qDebug("startup: signal %d, leaving the event loop", signal_);
  QCoreApplication::quit();
}

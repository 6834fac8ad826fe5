#pragma once
// Ends the program in order when the session asks it to stop (SIGTERM, SIGINT): the windows
// close as they would for the student, so a running class is left, the live SDK released,
// the settings written and the log closed as on a normal exit. The signal handler only writes
// to a pipe; the closing happens on the GUI thread.

#include <QObject>
#include <functional>

class QSocketNotifier;

// Whether the session has asked the program to stop. Windows then close without asking.
bool stopRequested();

class QuitOnSignal : public QObject {
  Q_OBJECT
public:
  using StopFn = std::function<void(QuitOnSignal *)>;
  // onStop closes the windows on the first signal and calls leaveEventLoop() when they are
  // gone. A second signal, or a stop that has not ended within kGraceMs, leaves at once.
  static constexpr int kGraceMs = 15000;
  explicit QuitOnSignal(StopFn onStop, QObject *parent = nullptr);
  ~QuitOnSignal() override;

public slots:
  void leaveEventLoop();

private slots:
  void onSignal();

private:
  QSocketNotifier *notifier_ = nullptr;
  StopFn onStop_;
  int signal_ = 0;
  bool leaving_ = false;
};

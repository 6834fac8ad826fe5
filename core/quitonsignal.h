#pragma once
// Ends the event loop in order when the session asks the program to stop (SIGTERM, SIGINT),
// so windows close and the log is flushed as on a normal exit. The signal handler only writes
// to a pipe; the quit happens on the GUI thread.

#include <QObject>

class QSocketNotifier;

class QuitOnSignal : public QObject {
  Q_OBJECT
public:
  explicit QuitOnSignal(QObject *parent = nullptr);
  ~QuitOnSignal() override;

private slots:
  void onSignal();

private:
  QSocketNotifier *notifier_ = nullptr;
};

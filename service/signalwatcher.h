#pragma once
// Turns SIGTERM and SIGINT into a Qt signal on the main thread (self-pipe), so the service
// shuts down through its event loop instead of dying mid-request.

#include <QObject>

class QSocketNotifier;

class SignalWatcher : public QObject {
  Q_OBJECT
public:
  explicit SignalWatcher(QObject *parent = nullptr);
  ~SignalWatcher() override;

  bool isValid() const { return m_notifier != nullptr; }

signals:
  void stopRequested(int signalNumber);

private slots:
  void onReadable();

private:
  QSocketNotifier *m_notifier = nullptr;
};

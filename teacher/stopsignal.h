#pragma once
// SIGINT and SIGTERM as a Qt signal on the thread that made the object (self-pipe), so the
// teacher leaves the room properly when the run script or a person stops it. One at a time.

#include <QObject>

class QSocketNotifier;

class StopSignal : public QObject {
  Q_OBJECT
public:
  explicit StopSignal(QObject *parent = nullptr);
  ~StopSignal() override;

  bool isValid() const { return m_notifier != nullptr; }

signals:
  void stopRequested(int signalNumber);

private:
  void onReadable();

  QSocketNotifier *m_notifier = nullptr;
};

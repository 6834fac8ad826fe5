#pragma once
// The library's own thread: callbacks, image downloads and history loads run there, in the
// order they were posted. Stopping drops whatever has not run yet.

#include <QObject>
#include <QThread>

#include <functional>

class QNetworkAccessManager;

namespace board {

class BoardThread {
public:
  static constexpr int kDrainTimeoutMs = 10000;

  BoardThread();
  ~BoardThread() { stop(); }
  // Ends the thread; a job already running finishes first, the others are dropped.
  void stop();

  void post(std::function<void()> job);
  // Returns once every job posted so far has run; at once on the thread itself or when it
  // has stopped.
  void drain();
  // The object that lives on the thread (for network managers and queued calls).
  QObject *context() const { return context_; }
  // One network manager for the thread's downloads; call it on the thread only.
  QNetworkAccessManager *network();

private:
  QThread thread_;
  QObject *context_;
  QNetworkAccessManager *network_ = nullptr;
};

} // namespace board

#pragma once
// The wait of a waiting step: a check of what has arrived, asked at once and again whenever
// something arrives, until it has an outcome or the step's timeout passes.

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class StepWait : public QObject {
  Q_OBJECT
public:
  using Check = std::function<QString()>; // the outcome once the wait is over, else empty

  explicit StepWait(QObject *parent = nullptr);

  // Replaces any wait in progress; may end it before returning.
  void start(int timeoutMs, Check check, const QString &timeoutProblem);
  // Something arrived: asks the check again.
  void poll();
  // Ends the wait quietly.
  void clear();
  bool isWaiting() const { return bool(m_check); }

signals:
  void met(const QString &outcome);
  void timedOut(const QString &problem);

private:
  QTimer m_timer;
  Check m_check;
  QString m_timeoutProblem;
};

#include "teacher/stepwait.h"

StepWait::StepWait(QObject *parent) : QObject(parent), m_timer(this) {
  m_timer.setSingleShot(true);
  connect(&m_timer, &QTimer::timeout, this, [this] {
    if (!m_check)
      return;
    const QString problem = m_timeoutProblem;
    clear();
    emit timedOut(problem);
  });
}

void StepWait::start(int timeoutMs, Check check, const QString &timeoutProblem) {
  m_check = std::move(check);
  m_timeoutProblem = timeoutProblem;
  m_timer.start(timeoutMs);
  poll();
}

void StepWait::poll() {
  if (!m_check)
    return;
  const QString outcome = m_check();
  if (outcome.isEmpty())
    return;
  clear();
  emit met(outcome);
}

void StepWait::clear() {
  m_check = nullptr;
  m_timer.stop();
}

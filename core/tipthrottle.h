#pragma once
// Keeps one tip text from popping up again and again: a text is let through only when it was
// not asked for within the window before. Every ask restarts the window, so a text repeated
// at least that often stays quiet.

#include <QHash>
#include <QString>

class TipThrottle {
public:
  explicit TipThrottle(qint64 windowMs = 2000) : m_windowMs(windowMs) {}

  // Records the ask at nowMs; true when the tip should be shown.
  bool request(const QString &text, qint64 nowMs);

private:
  qint64 m_windowMs;
  QHash<QString, qint64> m_lastAsked;
};

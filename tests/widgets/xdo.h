#pragma once
// Drives the test display's keyboard and pointer through xdotool, as a person would, so the
// events come from the X server and not from Qt's own test helpers.

#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <functional>

namespace xdo {

inline bool run(const QStringList &args) {
  QProcess p;
  p.start(QStringLiteral("xdotool"), args);
  return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

inline bool key(const QString &combo) { return run({QStringLiteral("key"), combo}); }

inline bool moveTo(int x, int y) {
  return run({QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
}

inline bool press(int button = 1) { return run({QStringLiteral("mousedown"), QString::number(button)}); }
inline bool release(int button = 1) { return run({QStringLiteral("mouseup"), QString::number(button)}); }
inline bool click(int button = 1) { return run({QStringLiteral("click"), QString::number(button)}); }

// A left click in the middle of the widget.
inline bool clickOn(const QWidget *w) {
  const QPoint c = w->mapToGlobal(w->rect().center());
  if (!moveTo(c.x(), c.y())) return false;
  QTest::qWait(100);
  return click();
}

// Left button down at from, through the midpoint to to, then up; midway runs while the
// button is still down at to (a picture of the drag, say).
inline bool drag(QPoint from, QPoint to, const std::function<void()> &midway = {}) {
  if (!moveTo(from.x(), from.y()) || !press()) return false;
  QTest::qWait(50);
  moveTo((from.x() + to.x()) / 2, (from.y() + to.y()) / 2);
  QTest::qWait(50);
  moveTo(to.x(), to.y());
  QTest::qWait(100);
  if (midway) midway();
  return release();
}

} // namespace xdo

#pragma once
// Drives the test display's keyboard and pointer through xdotool, as a person would, so the
// events come from the X server and not from Qt's own test helpers.

#include <QProcess>
#include <QStringList>

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

} // namespace xdo

#pragma once
// The process-wide windows: the first (login) window, the shell window and the current
// classroom window. Each is held by a guarded pointer, so a window that deletes itself is
// read back as null instead of dangling. GUI thread only.

#include <QWidget>

QWidget *loginWindow();
void setLoginWindow(QWidget *window);

QWidget *shellWindow();
void setShellWindow(QWidget *window);

QWidget *classroomWindow();
void setClassroomWindow(QWidget *window);

// Typed access for the folders that know the window classes, e.g.
// shellWindowAs<BrowserWindow>(); null when unset, destroyed or of another class.
template <class T> T *shellWindowAs() { return qobject_cast<T *>(shellWindow()); }
template <class T> T *classroomWindowAs() { return qobject_cast<T *>(classroomWindow()); }

#pragma once
// The program's start-up and shutdown, called by main().

#include <QWidget>
#include <functional>

// Creates the first window (the login window) once the application object exists.
using FirstWindowFactory = std::function<QWidget *()>;

// Arms the crash reporter, creates the application, installs the log handler, moves to the
// executable's folder, logs the first argument, prepares the browser settings, shows the
// first window and runs the event loop; then releases everything in reverse and returns the
// loop's exit code. With no factory (or a factory that returns null) nothing could ever end
// the loop, so it is left again on its first turn.
int runApplication(int &argc, char **argv, const FirstWindowFactory &makeFirstWindow);

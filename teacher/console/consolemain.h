#pragma once
// tarnwick-teacher --console: the teacher console's command line and start.

#include <QStringList>

namespace consolemain {
// True when the command line asks for the console.
bool wanted(int argc, char *argv[]);
// Before the application object: what the browser view of the chat page needs.
void prepare();
// Runs the console until its window closes; the exit status.
int run(const QStringList &arguments);
} // namespace consolemain

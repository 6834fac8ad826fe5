#pragma once
// The teacher console driven by clicks on its own widgets, as a person would use it.

class ClassPage;
class ConsoleWindow;
class QWidget;

namespace consoledriver {

// Clicks the enabled button of that object name under parent; false when there is none.
bool click(QWidget *parent, const char *name);
// Shows the console, signs in with the demo teacher it fills in and enters the demo class
// (300101); its class page, or null when any step did not happen within timeoutMs.
ClassPage *enterDemoClass(ConsoleWindow &console, int timeoutMs);

} // namespace consoledriver

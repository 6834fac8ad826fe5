#pragma once
// Settings of the embedded browser engine that start-up decides and the shell applies.

#include <QString>

constexpr int kBrowserRemoteDebuggingPort = 21188;
// The remote-debugging port lets any local process drive the signed-in portal; it opens only
// when this variable is "1".
constexpr char kRemoteDebuggingSwitch[] = "TARNWICK_REMOTE_DEBUGGING";

// With the switch on, points the engine's remote debugging at 127.0.0.1:21188; otherwise
// removes every remote-debugging setting the environment would hand the engine. Must run
// before the engine starts, so start-up calls it before the application.
void prepareBrowserEnvironment();

// With the switch off, removes remote-debugging switches from the command line (the engine
// reads the program's arguments as its own); returns how many it removed.
int dropRemoteDebuggingArguments(int &argc, char **argv);

// The browser's cache folder "<...>/cefcache" (core/places.h); needs the application object
// (its name is part of the folder).
QString browserCachePath();

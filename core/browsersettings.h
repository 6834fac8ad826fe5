#pragma once
// Settings of the embedded browser engine that start-up decides and the shell applies.

#include <QString>

constexpr int kBrowserRemoteDebuggingPort = 21188;

// Points the engine's remote debugging at 127.0.0.1:21188 unless the environment already
// chose; must run before the engine starts, so start-up calls it before the application.
void prepareBrowserEnvironment();

// "<per-user application data folder>/cefcache"; needs the application object (its name
// is part of the data folder).
QString browserCachePath();

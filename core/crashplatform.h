#pragma once
// What the crash-reporter loader needs from the operating system; one implementation file
// per platform (crashreporter_unix.cpp here).

#include "core/crashrecords.h"

namespace crashplatform {

void *openLibrary(const char *name);           // null when it cannot be loaded
void *resolve(void *library, const char *name); // null when the symbol is missing
void closeLibrary(void *library);

// Fatal-signal handler: logs one line with the signal and a backtrace, then lets the signal's
// default action run. install returns false when it could not be installed.
bool installFallbackHandler();
void removeFallbackHandler();

// The runtime's error hooks for the reporter's runtime-handler record.
CrashCrtHandlers runtimeHandlers();

void sleepMilliseconds(int ms);

} // namespace crashplatform

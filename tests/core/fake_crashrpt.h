#pragma once
// What the stand-in crash reporter saw in its InitCrashRpt call, and its test controls.

#include "core/crashrecords.h"

struct FakeInitSeen {
  int calls = 0;
  int ownProcess = 0;
  CrashAppInfo appInfo{};
  char appId[64] = {};
  CrashHandlerSettings settings{};
  CrashCrtHandlers crt{}; // the runtime-handler record as it was during the call
};

using FakeResetFn = void (*)(int notReadyCalls, int initResult);
using FakeSeenFn = const FakeInitSeen *(*)();
using FakeReadyCallsFn = int (*)();

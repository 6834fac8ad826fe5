// A stand-in crash-reporter library for the loader's tests. Built twice: with all ten entry
// points, and with FAKE_OMIT_LAST (GetVersionFromFile missing). It records what the loader
// handed to InitCrashRpt and how often IsReadyToExit was asked.

#include "fake_crashrpt.h"

#include <cstring>

namespace {
FakeInitSeen g_seen;
int g_notReadyCalls = 0;
int g_readyCalls = 0;
int g_initResult = 1;
} // namespace

extern "C" {

__attribute__((visibility("default"))) int InitCrashRpt(CrashAppInfo *info, CrashHandlerSettings *settings,
                                                        int ownProcess) {
  g_seen = FakeInitSeen{};
  g_seen.calls = 1;
  g_seen.ownProcess = ownProcess;
  if (info) {
    g_seen.appInfo = *info;
    std::strncpy(g_seen.appId, info->appId ? info->appId : "", sizeof g_seen.appId - 1);
  }
  if (settings) {
    g_seen.settings = *settings;
    if (settings->crtHandlers) g_seen.crt = *settings->crtHandlers;
  }
  return g_initResult;
}

__attribute__((visibility("default"))) int SendReport(void *) { return 0; }
__attribute__((visibility("default"))) int IsReadyToExit() {
  ++g_readyCalls;
  return g_readyCalls > g_notReadyCalls ? 1 : 0;
}
__attribute__((visibility("default"))) int SetCustomInfo(const char16_t *, const char16_t *) { return 0; }
__attribute__((visibility("default"))) int AddUserInfoToReport(const char16_t *, const char16_t *) { return 0; }
__attribute__((visibility("default"))) int RemoveUserInfoFromReport(const char16_t *) { return 0; }
__attribute__((visibility("default"))) int AddFileToReport(const char16_t *, const char16_t *) { return 0; }
__attribute__((visibility("default"))) int RemoveFileFromReport(const char16_t *) { return 0; }
__attribute__((visibility("default"))) int GetVersionFromApp(CrashAppInfo *) { return 0; }
#ifndef FAKE_OMIT_LAST
__attribute__((visibility("default"))) int GetVersionFromFile(const char16_t *, CrashAppInfo *) { return 0; }
#endif

// Test controls.
__attribute__((visibility("default"))) void fakeReset(int notReadyCalls, int initResult) {
  g_seen = FakeInitSeen{};
  g_notReadyCalls = notReadyCalls;
  g_readyCalls = 0;
  g_initResult = initResult;
}
__attribute__((visibility("default"))) const FakeInitSeen *fakeSeen() { return &g_seen; }
__attribute__((visibility("default"))) int fakeReadyCalls() { return g_readyCalls; }
}
